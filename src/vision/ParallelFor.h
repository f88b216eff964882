#pragma once

#include <functional>

// Runs body(begin, end) over [0, count) cut into `threads` contiguous parts, the first on the
// calling thread, and returns when all are done. An exception in any part is rethrown here.
void ParallelFor(int count, int threads, const std::function<void(int begin, int end)>& body);

// The number of threads the searches use when the caller leaves it open (0).
int searchThreads(int requested);
