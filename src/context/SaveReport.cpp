#include "context/SaveReport.h"

#include <QDir>

#include "context/ProgramContext.h"

bool ReportSave(ProgramContext& context, bool saved, const QString& what, const QString& path) {
    QStringList& failing = context.failingSaves;
    if (saved) {
        failing.removeAll(path);
        return true;
    }
    if (failing.isEmpty()) {
        context.port.speak("FAILED TO SAVE THE " + what);
        context.port.showError("FAILED TO SAVE THE " + what + " " + QDir::toNativeSeparators(path) +
                               "!");
    }
    if (!failing.contains(path)) {
        failing << path;
    }
    return false;
}
