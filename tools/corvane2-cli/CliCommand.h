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

struct CliRegistration {
    explicit CliRegistration(CliCommand command) { CliCommands().push_back(command); }
};
