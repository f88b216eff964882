#include <cstdio>

#include "CliCommand.h"
#include "CorvaneVersion.h"

std::vector<CliCommand>& CliCommands() {
    static std::vector<CliCommand> commands;
    return commands;
}

namespace {

int printUsage() {
    std::fputs(
        "usage: corvane2-cli COMMAND [ARGUMENTS]\n       corvane2-cli --version\ncommands:\n",
        stderr);
    for (const CliCommand& command : CliCommands()) {
        std::fprintf(stderr, "  %s %s\n", command.name, command.usage);
    }
    return 2;
}

}  // namespace

int RunCliCommand(QStringList arguments) {
    if (arguments.isEmpty()) {
        return printUsage();
    }
    const QString name = arguments.takeFirst();
    if (name == "--version" && arguments.isEmpty()) {
        std::printf("corvane2-cli %s\n", kCorvaneVersion);
        return 0;
    }
    for (const CliCommand& command : CliCommands()) {
        if (name == QLatin1String(command.name)) {
            return command.run(arguments);
        }
    }
    return printUsage();
}
