#include "vision/ParallelFor.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace {

// Starts real threads until `available` have been started, then fails as the system does
// when it has no thread left.
WorkerStarter startingOnly(int available) {
    return [available, started = 0](std::function<void()> work) mutable {
        if (started == available) {
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        }
        ++started;
        return std::thread(std::move(work));
    };
}

// Every index of [0, count) visited exactly once, and by how many threads.
struct Visits {
    explicit Visits(int count) : perIndex(count) {}

    void body(int begin, int end) {
        for (int i = begin; i < end; ++i) {
            ++perIndex[i];
        }
        const std::lock_guard lock(mutex);
        threadIds.insert(std::this_thread::get_id());
    }
    bool eachOnce() const {
        for (const std::atomic<int>& visits : perIndex) {
            if (visits != 1) {
                return false;
            }
        }
        return true;
    }

    std::vector<std::atomic<int>> perIndex;
    std::mutex mutex;
    std::set<std::thread::id> threadIds;
};

TEST(ParallelFor, WorkWhoseThreadCannotStartRunsOnTheCallingThread) {
    for (int available : {0, 1, 2, 3}) {
        Visits visits(101);
        ParallelFor(
            101, 4, [&](int begin, int end) { visits.body(begin, end); }, startingOnly(available));
        EXPECT_TRUE(visits.eachOnce()) << available;
        EXPECT_EQ(visits.threadIds.size(), static_cast<std::size_t>(available + 1)) << available;
        EXPECT_TRUE(visits.threadIds.contains(std::this_thread::get_id())) << available;
    }
}

TEST(ParallelFor, AnErrorInAPartIsRethrownWhateverThreadRanIt) {
    for (int available : {0, 3}) {
        EXPECT_THROW(ParallelFor(
                         8, 4,
                         [](int begin, int) {
                             if (begin == 6) {
                                 throw std::runtime_error("last part");
                             }
                         },
                         startingOnly(available)),
                     std::runtime_error)
            << available;
    }
}

// The system itself refuses new threads: a stack larger than the address space.
class NoThreadsToBeHad {
public:
    NoThreadsToBeHad() {
        pthread_getattr_default_np(&saved_);
        pthread_attr_t huge;
        pthread_getattr_default_np(&huge);
        pthread_attr_setstacksize(&huge, std::size_t{1} << 62);
        pthread_setattr_default_np(&huge);
        pthread_attr_destroy(&huge);
    }
    ~NoThreadsToBeHad() {
        pthread_setattr_default_np(&saved_);
        pthread_attr_destroy(&saved_);
    }
    NoThreadsToBeHad(const NoThreadsToBeHad&) = delete;
    NoThreadsToBeHad& operator=(const NoThreadsToBeHad&) = delete;

private:
    pthread_attr_t saved_{};
};

TEST(ParallelFor, FinishesWhenTheSystemStartsNoThread) {
    const NoThreadsToBeHad noThreads;
    ASSERT_THROW(std::thread([] {}).join(), std::system_error);
    Visits visits(50);
    ParallelFor(50, 4, [&](int begin, int end) { visits.body(begin, end); });
    EXPECT_TRUE(visits.eachOnce());
    EXPECT_EQ(visits.threadIds, std::set{std::this_thread::get_id()});
}

}  // namespace
