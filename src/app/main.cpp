// Corvane2: the control program of the pick-and-place machine.
#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>
#include <string_view>

#include "CorvaneVersion.h"

#include "app/SingleInstance.h"
#include "app/TFormMain.h"
#include "motion/ControllerChoice.h"
#include "motion/MotrixApi.h"
#include "settings/MachineSettingsStore.h"

int main(int argc, char** argv) {
    // Answered before the application object, which would need a display.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::printf("Corvane2 %s\n", kCorvaneVersion);
        return 0;
    }
    QApplication application(argc, argv);
    // The installed icon and desktop entry (build-tree runs have none and show no icon).
    QApplication::setWindowIcon(QIcon::fromTheme(kCorvaneAppId));
    QGuiApplication::setDesktopFileName(kCorvaneAppId);
    // Every number the program writes or reads uses "." whatever the desktop's region says.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    SingleInstance instance;
    if (!instance.acquire()) {
        QMessageBox::warning(nullptr, "Corvane", kSecondCopyMessage);
        return 1;
    }
    // The controller the machine settings choose is bound before the window loads them.
    MachineSettings stored;
    LoadMachineSettings(*OpenMachineSettingsStore(), stored);
    QString error;
    auto api = MotrixApi::Bind(
        ControllerLibraryPath(stored, QCoreApplication::applicationDirPath()), &error);
    if (!api && UsesLinuxCnc(stored)) {
        // Started anyway, so that Settings / CNC can choose the controller again.
        QMessageBox::warning(nullptr, "Corvane",
                             error +
                                 "\nCorvane starts without a controller: choose one in "
                                 "Settings / CNC, then start Corvane again.");
    } else if (!api) {
        QMessageBox::critical(nullptr, "Corvane", error + "\nCorvane cannot start without it.");
        return 1;
    }
    RealClock clock;
    TFormMain window(clock, std::move(api), OpenMachineSettingsStore);
    // A desktop without a window manager ignores the maximised state: fill the screen anyway.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window.setGeometry(screen->availableGeometry());
    }
    window.showMaximized();
    return application.exec();
}
