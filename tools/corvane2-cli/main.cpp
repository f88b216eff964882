// corvane2-cli: the core without windows, for scripts, checks of CAD exports and saved frames.
#include <QCoreApplication>

#include "CliCommand.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    return RunCliCommand(QCoreApplication::arguments().mid(1));
}
