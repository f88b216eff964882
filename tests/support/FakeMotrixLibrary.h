#pragma once

#include <memory>
#include <string>
#include <vector>

#include "motion/MotrixApi.h"

// A controller library whose every entry point answers one chosen status and records its
// name: for the dispatcher's rules, which the simulator never needs to break.
namespace FakeMotrixLibrary {

inline int status = 235;
inline std::vector<std::string> calls;

template <typename Fn>
struct Entry;

template <typename R, typename... Args>
struct Entry<R (*)(Args...)> {
    template <const char* Name>
    static R call(Args...) {
        calls.emplace_back(Name);
        return static_cast<R>(status);
    }
};

#define FAKE_MOTRIX_NAME(name, type) inline constexpr char name##Name[] = #name;
MOTRIX_API_FUNCTIONS(FAKE_MOTRIX_NAME)
#undef FAKE_MOTRIX_NAME

// A fresh library answering `answer` to everything, with an empty call record.
inline std::shared_ptr<MotrixApi> Make(int answer) {
    status = answer;
    calls.clear();
    auto api = std::make_shared<MotrixApi>();
#define FAKE_MOTRIX_ASSIGN(name, type) api->name = &Entry<type>::template call<name##Name>;
    MOTRIX_API_FUNCTIONS(FAKE_MOTRIX_ASSIGN)
#undef FAKE_MOTRIX_ASSIGN
    return api;
}

}  // namespace FakeMotrixLibrary
