#pragma once

#include <QStringList>
#include <vector>

// One command of corvane2-cli. A command file registers itself with a static CliRegistration.
struct CliCommand {
    const char* name;
    const char* usage;
    int (*run)(const QStringList& arguments);  // exit status
};

std::vector<CliCommand>& CliCommands();

// Runs the command that the first argument names (the program's own name left out) and returns
// its exit status; with no command or an unknown one, the usage and status 2.
int RunCliCommand(QStringList arguments);

struct CliRegistration {
    explicit CliRegistration(CliCommand command) { CliCommands().push_back(command); }
};
