#include "support/MachineFixture.h"

#include <stdexcept>

MachineFixture::MachineFixture(const std::string& simConfiguration) {
    QString error;
    auto api = MotrixApi::Bind(CORVANE_SIM_LIBRARY, &error);
    if (!api) {
        throw std::runtime_error(error.toStdString());
    }
    cnc.attach(std::move(api));
    configure(simConfiguration);
}

void MachineFixture::configure(const std::string& simConfiguration) {
    sim.configure(simConfiguration);
    cnc.InitialiseController();
    sim.clearLog();
}
