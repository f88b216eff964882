// The test-control entry points of the simulated controller.

#include "MotrixSimControl.h"

#include <algorithm>
#include <cstring>

#include "Simulator.h"
#include "StepPointers.h"

using motrix_sim::simulator;
using motrix_sim::StepPointers;
using motrix_sim::VirtualMachine;

extern "C" {

int MotrixSimConfigure(const char* text) {
    std::vector<std::string> problems;
    motrix_sim::SimConfig config;
    if (text == nullptr) {
        config = motrix_sim::simConfigFromEnvironment(problems);
    } else {
        problems = motrix_sim::applySimConfigText(config, text);
    }
    simulator().configure(config);
    return motrix_sim::reportProblems(problems);
}

int MotrixSimCommandLog(char* buffer, int size) {
    const std::string text = simulator().logText();
    if (buffer != nullptr && size > 0) {
        const std::size_t copied = std::min(text.size(), static_cast<std::size_t>(size - 1));
        std::memcpy(buffer, text.data(), copied);
        buffer[copied] = '\0';
    }
    return static_cast<int>(text.size() + 1);
}

void MotrixSimClearLog() {
    simulator().clearLog();
}

int MotrixSimOutputs() {
    return simulator().inspect([](VirtualMachine& machine) { return machine.outputs(); });
}

void MotrixSimPhysicalPosition(std::int32_t* x, std::int32_t* y, std::int32_t* z, std::int32_t* a) {
    StepPointers{x, y, z, a}.write(
        simulator().inspect([](VirtualMachine& machine) { return machine.physicalPosition(); }));
}

void MotrixSimCounters(std::int32_t* x, std::int32_t* y, std::int32_t* z, std::int32_t* a) {
    StepPointers{x, y, z, a}.write(
        simulator().inspect([](VirtualMachine& machine) { return machine.counters(); }));
}

}  // extern "C"
