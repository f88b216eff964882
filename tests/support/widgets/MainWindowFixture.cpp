#include "support/widgets/MainWindowFixture.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <stdexcept>

MainWindowHarness::MainWindowHarness(const std::string& simConfiguration) {
    sim.configure(simConfiguration);
    QString error;
    auto api = MotrixApi::Bind(CORVANE_SIM_LIBRARY, &error);
    if (!api) {
        throw std::runtime_error(error.toStdString());
    }
    const QString store = settingsFile();
    window = std::make_unique<TFormMain>(
        clock, std::move(api), [store] { return OpenMachineSettingsStoreAt(store); }, &person);
    context = &window->context();
    window->show();
    window->findChild<QTimer*>("TimerStartup")->stop();
    // No camera here: homing keeps the taught home position unless a test brings frames.
    context->settings.visualHome = false;
}

MainWindowHarness::~MainWindowHarness() = default;

void MainWindowHarness::startUp() {
    // The person answers the start-up nozzle question, once it shows, with what it offers.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (QWidget* question = QApplication::activeModalWidget()) {
            if (auto* ok = question->findChild<QPushButton*>("ButtonOk")) {
                ok->click();
            }
        }
    });
    answer.start(5);
    window->startUp();
    sim.clearLog();
}

QString MainWindowHarness::text(const QString& label) const {
    const QLabel* found = control<QLabel>(label);
    return found ? found->text() : QString();
}

void MainWindowHarness::click(const QString& button) {
    QPushButton* found = control<QPushButton>(button);
    ASSERT_TRUE(found && found->isEnabled()) << button.toStdString() << " is not enabled";
    found->click();
}
