#pragma once

#include <QJsonObject>
#include <QStringList>
#include <set>

#include "support/RunChecks.h"
#include "support/widgets/FreshHome.h"
#include "support/widgets/MainWindowFixture.h"

// The program at its first start on the simulated world: a fresh home folder, the demo panel
// installed and open, the simulator's cameras running, the machine started up and homed (on
// the taught home position) with nozzle 1 on the head. The main window is then hidden: clicks
// reach its controls all the same, and nothing is painted, which would take most of the time
// of a session. Test programs using it embed the demo (corvane_embed_demo).
class DemoWindow : public FreshHome, public MainWindowHarness {
public:
    DemoWindow();

    // Only these parts of the demo board stay enabled.
    void enableOnly(const QStringList& designators);
    // The part's number in the list.
    int partNumber(const QString& designator) const;
    // Runs `operate` on the settings window that `open` shows modally, once it is ready, then
    // closes it.
    void inWindow(const std::function<void()>& open, const std::function<void(QDialog&)>& operate);

    // The faults of PlacementFaults and LowCarryFaults for the whole session so far: `expected`
    // got their parts, nothing else did, nothing was carried low.
    QStringList runFaults(const std::set<Pad>& expected) const;
    // The world's state (sim/README.md).
    QJsonObject worldState() const;

private:
    std::array<std::int32_t, 3> logStart_{};  // where the head stood when the log began
};

class DemoWindowFixture : public ::testing::Test, public DemoWindow {};
