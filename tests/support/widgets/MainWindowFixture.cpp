#include "support/widgets/MainWindowFixture.h"

#include <QLabel>
#include <QTimer>
#include <stdexcept>

MainWindowFixture::MainWindowFixture(const std::string& simConfiguration) {
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
}

MainWindowFixture::~MainWindowFixture() = default;

void MainWindowFixture::startUp() {
    window->startUp();
    sim.clearLog();
}

QString MainWindowFixture::text(const QString& label) const {
    const QLabel* found = control<QLabel>(label);
    return found ? found->text() : QString();
}

void MainWindowFixture::click(const QString& button) {
    QPushButton* found = control<QPushButton>(button);
    ASSERT_TRUE(found && found->isEnabled()) << button.toStdString() << " is not enabled";
    found->click();
}
