#pragma once

#include <QLibrary>
#include <QString>
#include <memory>

#include "motion/MotrixApiSignatures.h"

// The controller library bound function by function. Bind() names what is missing.
struct MotrixApi {
#define MOTRIX_API_MEMBER(name, type) type name = nullptr;
    MOTRIX_API_FUNCTIONS(MOTRIX_API_MEMBER)
#undef MOTRIX_API_MEMBER

    // Loads the library at `path` (a name without "lib" prefix or suffix resolves as the
    // platform does) and resolves every entry point. On failure returns null and sets `error`
    // to a message naming the missing library or function.
    static std::shared_ptr<const MotrixApi> Bind(const QString& path, QString* error);

    // An entry point that not every library has (the simulator's camera calls); null when
    // absent or when nothing is bound.
    QFunctionPointer resolveOptional(const char* name) const;

private:
    std::unique_ptr<QLibrary> library_;
};
