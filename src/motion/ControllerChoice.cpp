#include "motion/ControllerChoice.h"

#include <QStringList>
#include <algorithm>

#include "motion/MotrixApi.h"
#include "settings/MachineSettings.h"
#include "settings/NumberText.h"

bool UsesLinuxCnc(const MachineSettings& settings) {
    return settings.controller == QLatin1String(kControllerLinuxCnc);
}

QString ControllerLibraryPath(const MachineSettings& settings, const QString& folder) {
    return folder + u'/' +
           QLatin1String(UsesLinuxCnc(settings) ? kLinuxCncLibrary : kControllerLibrary);
}

bool BoundToLinuxCnc(const MotrixApi* api) {
    return api && api->resolveOptional("MotrixLinuxCncSetUp") != nullptr;
}

bool ApplyLinuxCncHost(MachineSettings& settings, QStringView text) {
    const bool blank = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
    if (text.isEmpty() || blank) {
        return false;
    }
    settings.linuxCncHost = text.toString();
    return true;
}

bool ApplyLinuxCncPort(MachineSettings& settings, QStringView text) {
    const std::optional<int> port = ParseInteger(text);
    if (!port || *port < 1 || *port > 65535) {
        return false;
    }
    settings.linuxCncPort = *port;
    return true;
}

QString LinuxCncSetUpText(const MachineSettings& settings) {
    // An IPv6 address keeps its colons inside brackets.
    const QString host = settings.linuxCncHost.contains(u':') ? u'[' + settings.linuxCncHost + u']'
                                                              : settings.linuxCncHost;
    // Every digit of the scaling, so that LinuxCNC's units and the program's steps agree.
    const auto exact = [](double value) { return QString::number(value, 'g', 17); };
    return QStringList{QStringLiteral("address=%1:%2").arg(host).arg(settings.linuxCncPort),
                       "x_steps_per_mm=" + exact(settings.xStepsPerMM),
                       "y_steps_per_mm=" + exact(settings.yStepsPerMM),
                       "z_steps_per_mm=" + exact(settings.zStepsPerMM),
                       "a_steps_per_rev=" + exact(settings.aStepsPerRev)}
        .join(u'\n');
}
