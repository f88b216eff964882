#include <gtest/gtest.h>

#include "CommandLog.h"

using motrix_sim::CommandLog;

namespace {

TEST(CommandLogTest, KeepsTheNewestLinesOfNameAndArguments) {
    CommandLog log(2);
    log.record("MotrixReset", {3, 27, 1});
    log.record("MotrixPause", {});
    EXPECT_EQ(log.text(), "MotrixReset 3 27 1\nMotrixPause\n");

    log.record("MotrixLinearMove", {1575, 787, 0, -2000, 65000, 0});
    EXPECT_EQ(log.text(), "MotrixPause\nMotrixLinearMove 1575 787 0 -2000 65000 0\n");
    log.clear();
    EXPECT_EQ(log.text(), "");
}

}  // namespace
