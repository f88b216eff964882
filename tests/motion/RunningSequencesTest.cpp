// One machine sequence at a time: which sequence may start, and which commands the controller
// takes, as message rounds nest.
#include <gtest/gtest.h>

#include "motion/RunningSequences.h"

namespace {

TEST(RunningSequencesTest, StepsNestWhileASequenceStartedFromAMessageIsRefused) {
    RunningSequences sequences;
    EXPECT_FALSE(sequences.running());
    EXPECT_FALSE(sequences.refusesCommands(3));
    ASSERT_TRUE(sequences.enter(0));  // a run, started from a button
    ASSERT_TRUE(sequences.enter(0));  // its pick, a step of it
    // A message handled while the pick waits asks for another sequence: refused, and whatever
    // it sends the controller (a jog) is refused too.
    EXPECT_FALSE(sequences.startsAfresh(0));
    EXPECT_TRUE(sequences.startsAfresh(1));
    EXPECT_FALSE(sequences.enter(1));
    EXPECT_TRUE(sequences.refusesCommands(1));
    EXPECT_FALSE(sequences.refusesCommands(0));
    sequences.leave();
    EXPECT_TRUE(sequences.running());
    sequences.leave();
    EXPECT_FALSE(sequences.running());
    EXPECT_TRUE(sequences.enter(1));  // with none running, any message may start one
}

TEST(RunningSequencesTest, AfterTheStopResetStartsAfreshAndTheEndedSequenceGetsNothingThrough) {
    RunningSequences sequences;
    ASSERT_TRUE(sequences.enter(0));  // a pick, waiting
    sequences.endAll();               // the emergency stop, pressed during the wait
    EXPECT_TRUE(sequences.currentEnded());
    EXPECT_TRUE(sequences.refusesCommands(0));
    ASSERT_TRUE(sequences.enter(1));  // RESET, pressed during the same wait, homes
    EXPECT_FALSE(sequences.currentEnded());
    EXPECT_FALSE(sequences.refusesCommands(1));
    EXPECT_TRUE(sequences.enter(1));  // homing, a step of RESET
    sequences.leave();
    sequences.leave();
    // Back in the pick's wait: no step of it starts, no command of it passes.
    EXPECT_TRUE(sequences.currentEnded());
    EXPECT_FALSE(sequences.enter(0));
    EXPECT_TRUE(sequences.refusesCommands(0));
    sequences.leave();
    EXPECT_FALSE(sequences.running());
}

}  // namespace
