#include "vision/ParallelFor.h"

#include <algorithm>
#include <exception>
#include <vector>

namespace {

std::thread startThread(std::function<void()> work) {
    return std::thread(std::move(work));
}

}  // namespace

void ParallelFor(int count, int threads, const std::function<void(int, int)>& body,
                 const WorkerStarter& startWorker) {
    const int parts = std::clamp(threads, 1, std::max(count, 1));
    if (parts == 1) {
        body(0, count);
        return;
    }
    const WorkerStarter start = startWorker ? startWorker : WorkerStarter(startThread);
    std::vector<std::exception_ptr> errors(parts);
    auto runPart = [&](int part) {
        try {
            body(count * part / parts, count * (part + 1) / parts);
        } catch (...) {
            errors[part] = std::current_exception();
        }
    };
    std::vector<std::thread> workers;
    workers.reserve(parts - 1);
    int started = 1;
    for (; started < parts; ++started) {
        try {
            workers.push_back(start([&runPart, started] { runPart(started); }));
        } catch (const std::exception&) {
            break;  // no more threads to be had: the caller takes the rest
        }
    }
    for (int part = started; part < parts; ++part) {
        runPart(part);
    }
    runPart(0);
    for (std::thread& worker : workers) {
        worker.join();
    }
    for (const std::exception_ptr& error : errors) {
        if (error) {
            std::rethrow_exception(error);
        }
    }
}

int searchThreads(int requested) {
    if (requested > 0) {
        return requested;
    }
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
}
