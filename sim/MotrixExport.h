#pragma once

// Marks the C entry points the library exports; everything else stays hidden.
#define MOTRIX_EXPORT __attribute__((visibility("default")))
