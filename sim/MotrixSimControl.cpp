// The test-control entry points of the simulated controller; the world's own are in
// WorldCalls.cpp.

#include "MotrixSimControl.h"

#include "Simulator.h"
#include "StepPointers.h"
#include "WorldJson.h"

using motrix_sim::simulator;
using motrix_sim::StepPointers;
using motrix_sim::VirtualMachine;

extern "C" {

int MotrixSimConfigure(const char* text) {
    std::vector<std::string> problems;
    motrix_sim::Configuration configured =
        motrix_sim::configurationFromText(text, motrix_sim::applySimConfigText, problems);
    simulator().configure(configured.config, std::move(configured.world));
    return motrix_sim::reportProblems(problems);
}

int MotrixSimInjectFaults(const char* text) {
    motrix_sim::SimConfig faults;
    const std::vector<std::string> problems =
        motrix_sim::applyFaultText(faults, text != nullptr ? text : "");
    if (problems.empty()) {
        simulator().injectFaults(faults);
    }
    return motrix_sim::reportProblems(problems);
}

int MotrixSimCommandLog(char* buffer, int size) {
    return motrix_sim::copyReportText(simulator().logText(), buffer, size);
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
