#include "support/RunChecks.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <map>
#include <sstream>

namespace {

// A part put down lands at most this far above the board; one that fell from higher up was
// let go in the air.
constexpr double kPlacedFall = 0.5;
constexpr int kVacuumMask = 16;

QString describe(const QJsonObject& drop) {
    return QString("%1 %2 at (%3, %4)")
        .arg(drop["place"].toString(), drop["designator"].toString())
        .arg(drop["x"].toDouble(), 0, 'f', 3)
        .arg(drop["y"].toDouble(), 0, 'f', 3);
}

QString describe(const SimCommand& command) {
    std::ostringstream text;
    text << command;
    return QString::fromStdString(text.str());
}

}  // namespace

QJsonArray DropsOf(const SimController& sim) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(sim.dropRecord()))
        .object()["drops"]
        .toArray();
}

QStringList PlacementFaults(const QJsonArray& drops, const std::set<Pad>& expected,
                            double tolerance) {
    QStringList faults;
    std::map<Pad, int> placed;
    for (const QJsonValue& value : drops) {
        const QJsonObject drop = value.toObject();
        const QString place = drop["place"].toString();
        if (place == "table") {
            faults << "fell on the table: " + describe(drop);
        }
        if (place != "board") {
            continue;
        }
        const Pad pad{drop["board"].toInt(), drop["designator"].toString()};
        ++placed[pad];
        const double error = std::hypot(drop["error_x"].toDouble(), drop["error_y"].toDouble());
        if (!expected.count(pad)) {
            faults << "a part on a pad that should stay empty: " + describe(drop);
        } else if (drop["fell_mm"].toDouble() > kPlacedFall || error > tolerance) {
            faults << QString("misplaced by %1 mm, fell %2 mm: ")
                              .arg(error, 0, 'f', 3)
                              .arg(drop["fell_mm"].toDouble(), 0, 'f', 2) +
                          describe(drop);
        }
    }
    for (const Pad& pad : expected) {
        const int times = placed.count(pad) ? placed.at(pad) : 0;
        if (times != 1) {
            faults << QString("board %1 %2 got %3 parts").arg(pad.first).arg(pad.second).arg(times);
        }
    }
    return faults;
}

QStringList LowCarryFaults(const std::vector<SimCommand>& log,
                           const std::array<std::int32_t, 3>& startSteps,
                           const std::array<std::int32_t, 2>& cameraSteps, int cameraRadius) {
    QStringList faults;
    bool vacuum = false;
    std::array<std::int32_t, 3> at = startSteps;
    const auto overCamera = [&](const std::array<std::int32_t, 3>& p) {
        return std::hypot(p[0] - cameraSteps[0], p[1] - cameraSteps[1]) <= cameraRadius;
    };
    for (const SimCommand& command : log) {
        if (command.name == "MotrixSetOutput" && command.args.at(0) == kVacuumMask) {
            vacuum = command.args.at(1) != 0;
        } else if (command.name == "MotrixHome") {
            at = {0, 0, 0};  // homing leaves the head at its zero
        } else if (command.name == "MotrixLinearMove") {
            const std::array<std::int32_t, 3> to{command.args.at(0), command.args.at(1),
                                                 command.args.at(2)};
            const bool low = at[2] > 0 || to[2] > 0;
            const bool vertical = at[0] == to[0] && at[1] == to[1];
            if (vacuum && low && !vertical && !(overCamera(at) && overCamera(to))) {
                faults << "carried low: " + describe(command);
            }
            at = to;
        }
    }
    return faults;
}
