#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <string_view>

namespace motrix_sim {

// The calls the simulated controller received, one line each: the function name and its
// integer arguments separated by spaces ("MotrixLinearMove 1575 787 0 2000 65000 0"). Only the
// newest `limit` lines are kept, so a long session does not grow without bound.
class CommandLog {
public:
    explicit CommandLog(std::size_t limit) : limit_(limit) {}

    void record(std::string_view name, std::initializer_list<std::int32_t> args);
    // Every kept line, each ending with a newline.
    std::string text() const;
    void clear() { lines_.clear(); }

private:
    std::deque<std::string> lines_;
    std::size_t limit_;
};

}  // namespace motrix_sim
