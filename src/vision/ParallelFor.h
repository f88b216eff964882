#pragma once

#include <functional>
#include <thread>

// Starts a worker thread running `work`; throws (std::system_error) when it cannot.
using WorkerStarter = std::function<std::thread(std::function<void()> work)>;

// Runs body(begin, end) over [0, count) cut into `threads` contiguous parts, the first on the
// calling thread, and returns when all are done. An exception in any part is rethrown here.
// The parts whose worker cannot be started (the system is out of threads) run on the calling
// thread too. `startWorker` is for tests; by default a part runs on a std::thread.
void ParallelFor(int count, int threads, const std::function<void(int begin, int end)>& body,
                 const WorkerStarter& startWorker = {});

// The number of threads the searches use when the caller leaves it open (0).
int searchThreads(int requested);
