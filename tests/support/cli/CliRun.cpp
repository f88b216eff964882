#include "support/cli/CliRun.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

CliRun runCli(const QStringList& arguments, const QString& home) {
    QProcess process;
    if (!home.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home);
        environment.remove("XDG_CONFIG_HOME");  // the settings store, too, under `home`
        process.setProcessEnvironment(environment);
    }
    process.start(CORVANE_CLI, arguments);
    EXPECT_TRUE(process.waitForFinished(120000)) << arguments.join(' ').toStdString();
    const bool finished = process.exitStatus() == QProcess::NormalExit;
    return {finished ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

CliRun runCli(const QString& command, const QString& arguments, const QString& home) {
    return runCli(QStringList{command} + QProcess::splitCommand(arguments), home);
}
