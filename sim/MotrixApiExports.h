#pragma once

#include <type_traits>

#include "MotrixExport.h"
#include "motion/MotrixApiSignatures.h"

// The controller library's entry points, declared from the program's own signature list: a
// definition with another argument list or result conflicts with these C declarations and does
// not compile.
extern "C" {
#define MOTRIX_DECLARE_ENTRY_POINT(name, type) MOTRIX_EXPORT std::remove_pointer_t<type> name;
MOTRIX_API_FUNCTIONS(MOTRIX_DECLARE_ENTRY_POINT)
#undef MOTRIX_DECLARE_ENTRY_POINT
}
