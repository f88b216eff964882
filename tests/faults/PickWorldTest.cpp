// The pick's measurement on the simulated world: parts that lie on the nozzle with a seeded
// offset and turn are measured over the up-looking camera, turned and centred as they belong on
// their pads, and land there.
#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "faults/FaultMachine.h"
#include "handling/Pick.h"
#include "handling/Place.h"
#include "support/RunChecks.h"

namespace {

// What the up-looking camera's measurement achieves on the built-in world: its turn is found
// to its coarse angle step.
constexpr double kAngleTolerance = 3;      // degrees
constexpr double kOffsetTolerance = 0.05;  // mm

QJsonObject jsonOf(const std::string& text) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

// The difference of two angles in degrees, in -180..180.
double turnBetween(double a, double b) {
    return std::remainder(a - b, 360.0);
}

class PickWorldTest : public ::testing::Test {
protected:
    PickWorldTest() {
        machine.powerUpAndHome("mode=instant\npick_jitter_mm=0.4\npick_jitter_deg=30\nseed=7");
    }

    int partNumber(const QString& designator) const {
        const QList<PartRec>& parts = machine.context.project.Parts;
        for (int index = 0; index < parts.size(); ++index) {
            if (parts[index].Designator == designator) {
                return index + 1;
            }
        }
        return 0;
    }

    // Where the part of `designator` on board 1 truly belongs.
    QJsonObject padOf(const QString& designator) const {
        for (const QJsonValue& pad : jsonOf(machine.sim.padTargets())["pads"].toArray()) {
            if (pad["board"].toInt() == 1 && pad["designator"].toString() == designator) {
                return pad.toObject();
            }
        }
        return {};
    }

    FaultMachine machine;
};

TEST_F(PickWorldTest, AMeasuredPartIsTurnedAndCentredAsItBelongsAndLandsOnItsPad) {
    ProgramContext& context = machine.context;
    // Parts at 0, 90 and 180 degrees from a tray, the vibration feeder and both sides' reels.
    for (const QString designator : {"U1", "U2", "Q2", "Q3", "R1", "R7"}) {
        SCOPED_TRACE(designator.toStdString());
        const int part = partNumber(designator);
        ASSERT_TRUE(PickListedPart(context, part));
        const QJsonObject held = jsonOf(machine.sim.worldState())["held_part"].toObject();
        ASSERT_FALSE(held.isEmpty());
        const CycleState& cycle = context.cycle;
        const PartRec& record = context.project.Parts[part - 1];
        const double nominal = ApproachOf(context.project.Feeders[record.Feeder - 1]).baseAngle;
        // The seeded turn and offset are well beyond the tolerances: a sign slipped in a
        // correction would double them.
        EXPECT_GT(std::abs(turnBetween(cycle.PickCorrectionA, nominal + record.Angle)),
                  2 * kAngleTolerance);
        EXPECT_GT(std::hypot(cycle.PickCorrectionX, cycle.PickCorrectionY), 2 * kOffsetTolerance);
        // As placed now: at its pad's angle, its centre where the corrections put it.
        EXPECT_NEAR(turnBetween(held["angle"].toDouble(), padOf(designator)["angle"].toDouble()), 0,
                    kAngleTolerance);
        EXPECT_NEAR(held["offset_x"].toDouble(), -cycle.PickCorrectionX, kOffsetTolerance);
        EXPECT_NEAR(held["offset_y"].toDouble(), -cycle.PickCorrectionY, kOffsetTolerance);

        ASSERT_TRUE(PlacePart(context, part));
        const QJsonObject landed = DropsOf(machine.sim).last().toObject();
        EXPECT_EQ(landed["designator"].toString(), designator);
        EXPECT_LT(std::hypot(landed["error_x"].toDouble(), landed["error_y"].toDouble()),
                  kOffsetTolerance);
        EXPECT_LT(std::abs(landed["error_angle"].toDouble()), kAngleTolerance);
    }
}

}  // namespace
