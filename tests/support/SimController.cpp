#include "support/SimController.h"

#include <sstream>
#include <stdexcept>
#include <utility>

namespace {

SimCommand parseCommand(const std::string& line) {
    std::istringstream words(line);
    SimCommand command;
    words >> command.name;
    for (int arg = 0; words >> arg;) {
        command.args.push_back(arg);
    }
    return command;
}

}  // namespace

std::ostream& operator<<(std::ostream& stream, const SimCommand& command) {
    stream << command.name;
    for (int arg : command.args) {
        stream << ' ' << arg;
    }
    return stream;
}

SimController::SimController(const QString& libraryPath) : library_(libraryPath) {
    if (!library_.load()) {
        throw std::runtime_error("cannot load the simulated controller: " +
                                 library_.errorString().toStdString());
    }
#define SIM_CONTROL_RESOLVE(name)                                                           \
    functions_.name = reinterpret_cast<decltype(functions_.name)>(library_.resolve(#name)); \
    if (functions_.name == nullptr) {                                                       \
        throw std::runtime_error("the simulated controller has no " #name);                 \
    }
    MOTRIX_SIM_CONTROL_FUNCTIONS(SIM_CONTROL_RESOLVE)
#undef SIM_CONTROL_RESOLVE
}

void SimController::configure(const std::string& text) {
    if (const int unusable = functions_.MotrixSimConfigure(text.c_str()); unusable != 0) {
        throw std::invalid_argument("simulator configuration has " + std::to_string(unusable) +
                                    " unusable line(s):\n" + text);
    }
}

void SimController::injectFaults(const std::string& text) {
    if (const int unusable = functions_.MotrixSimInjectFaults(text.c_str()); unusable != 0) {
        throw std::invalid_argument("fault injection has " + std::to_string(unusable) +
                                    " unusable line(s):\n" + text);
    }
}

void SimController::clearLog() {
    functions_.MotrixSimClearLog();
}

std::string SimController::copyReport(Report report) {
    return MotrixSimCopyReport(report);
}

std::string SimController::logText() const {
    return copyReport(functions_.MotrixSimCommandLog);
}

std::vector<SimCommand> SimController::commands() const {
    std::vector<SimCommand> all;
    std::istringstream lines(logText());
    for (std::string line; std::getline(lines, line);) {
        all.push_back(parseCommand(line));
    }
    return all;
}

std::vector<SimCommand> SimController::commandsNamed(std::string_view name) const {
    std::vector<SimCommand> named;
    for (SimCommand& command : commands()) {
        if (command.name == name) {
            named.push_back(std::move(command));
        }
    }
    return named;
}

int SimController::outputs() const {
    return functions_.MotrixSimOutputs();
}

std::array<std::int32_t, 4> SimController::physicalPosition() const {
    std::array<std::int32_t, 4> steps{};
    functions_.MotrixSimPhysicalPosition(&steps[0], &steps[1], &steps[2], &steps[3]);
    return steps;
}

std::array<std::int32_t, 4> SimController::counters() const {
    std::array<std::int32_t, 4> steps{};
    functions_.MotrixSimCounters(&steps[0], &steps[1], &steps[2], &steps[3]);
    return steps;
}

std::string SimController::worldJson() const {
    return copyReport(functions_.MotrixSimWorldJson);
}

std::string SimController::worldState() const {
    return copyReport(functions_.MotrixSimWorldState);
}

std::string SimController::dropRecord() const {
    return copyReport(functions_.MotrixSimDropRecord);
}

std::string SimController::padTargets() const {
    return copyReport(functions_.MotrixSimPadTargets);
}
