#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <optional>

#include "support/TestFiles.h"

// The process's home folder, and so its documents folder, replaced by an empty one while the
// test runs: the program starts as on a new user's first day.
class FreshHome {
protected:
    FreshHome() {
        qputenv("HOME", home.path().toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");  // the documents folder comes from the home folder alone
    }
    ~FreshHome() {
        restore("HOME", oldHome);
        restore("XDG_CONFIG_HOME", oldConfigHome);
    }

private:
    static std::optional<QByteArray> variable(const char* name) {
        return qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    }
    static void restore(const char* name, const std::optional<QByteArray>& value) {
        value ? qputenv(name, *value) : qunsetenv(name);
    }

    const std::optional<QByteArray> oldHome = variable("HOME");
    const std::optional<QByteArray> oldConfigHome = variable("XDG_CONFIG_HOME");
    QTemporaryDir home{ScratchTemplate("home")};
};
