#pragma once

#include <gtest/gtest.h>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

#include "app/TFormMain.h"
#include "settings/MachineSettingsStore.h"
#include "support/ScriptedOperatorPort.h"
#include "support/SimController.h"
#include "support/TestFiles.h"

// The main window on the simulated controller (instant mode, virtual time), with a throw-away
// settings store and a scripted person answering its dialogs. The window is shown; the
// start-up step runs when the test calls startUp().
class MainWindowHarness {
public:
    explicit MainWindowHarness(const std::string& simConfiguration = "mode=instant");
    virtual ~MainWindowHarness();
    MainWindowHarness(const MainWindowHarness&) = delete;
    MainWindowHarness& operator=(const MainWindowHarness&) = delete;

    void startUp();
    QString settingsFile() const { return settingsDir_.filePath("machine.ini"); }

    template <typename T = QWidget>
    T* control(const QString& name) const {
        T* found = window->centralWidget()->findChild<T*>(name);
        if (!found) {
            ADD_FAILURE() << "no control " << name.toStdString();
        }
        return found;
    }
    QString text(const QString& label) const;
    void click(const QString& button);

    QTemporaryDir settingsDir_{ScratchTemplate("settings")};
    VirtualClock clock;
    ScriptedOperatorPort person;
    SimController sim{CORVANE_SIM_LIBRARY};
    std::unique_ptr<TFormMain> window;
    ProgramContext* context = nullptr;
};

// The harness as a test fixture.
class MainWindowFixture : public ::testing::Test, public MainWindowHarness {
protected:
    using MainWindowHarness::MainWindowHarness;
};
