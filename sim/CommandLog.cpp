#include "CommandLog.h"

namespace motrix_sim {

void CommandLog::record(std::string_view name, std::initializer_list<std::int32_t> args) {
    std::string line(name);
    for (std::int32_t arg : args) {
        line += ' ';
        line += std::to_string(arg);
    }
    lines_.push_back(std::move(line));
    while (lines_.size() > limit_) {
        lines_.pop_front();
    }
}

std::string CommandLog::text() const {
    std::string all;
    for (const std::string& line : lines_) {
        all += line;
        all += '\n';
    }
    return all;
}

}  // namespace motrix_sim
