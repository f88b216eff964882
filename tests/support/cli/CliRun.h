#pragma once

// Runs corvane2-cli as a person would from a shell, and keeps what it said.

#include <QByteArray>
#include <QString>
#include <QStringList>

struct CliRun {
    int exitCode = -1;  // -1 when the program did not finish normally
    QByteArray out;
    QByteArray err;
};

// `home`, when given, becomes the program's HOME, so no user's settings or documents are read.
CliRun runCli(const QStringList& arguments, const QString& home = QString());

// The same with the arguments as one command line, split the way QProcess splits it (double
// quotes group words).
CliRun runCli(const QString& command, const QString& arguments, const QString& home = QString());
