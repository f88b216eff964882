#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <chrono>
#include <functional>
#include <optional>

// What every place-file reader gives: component rows in mm and degrees, with their side of the
// board, sorted so that parts of one footprint and value stand together.
namespace PlaceFile {

enum class BoardSide { Top, Bottom };

// One component row of a place file; distinct from the project's part record.
struct PartRec {
    QString Designator;
    QString Pattern;      // footprint, its words rejoined with single spaces
    double X = 0;         // mm, as seen from the top of the board
    double Y = 0;         // mm
    QString Layer;        // as the file writes it
    double Rotation = 0;  // degrees, within (-360, 360)
    QString Comment;      // the component value
    BoardSide Side = BoardSide::Top;
};

// "B", "Bottom", "BottomLayer", "B.Cu", "back": the bottom; anything else, an empty layer
// included, the top.
BoardSide SideOfLayer(QStringView layer);

// A rotation brought into (-360, 360), keeping its sign; "-0" reads as 0 so it sorts with 0.
double BoundedRotation(double degrees);

enum class LengthUnit { Millimetre, Mil, Inch };

double ToMillimetres(double value, LengthUnit unit);
// "mm", "mil", "inches": the names the import shows and prints.
QString UnitName(LengthUnit unit);
// "mm", "millimetres", "mil", "mils", "thou", "in", "inch", "inches" in any letter case.
std::optional<LengthUnit> UnitFromName(QStringView name);

// Groups rows of the same footprint and value: footprint, value and rotation text, each padded
// to 50 characters, compared by character codes.
QString SortKey(const PartRec& row);
void SortRows(QList<PartRec>& rows);

inline constexpr std::chrono::milliseconds kPumpInterval{50};

// Calls `pump` (which handles pending window messages, so a long file does not freeze the
// window) at the first tick and then whenever the interval has passed, so pumping costs
// nothing noticeable however short the lines are.
class PumpThrottle {
public:
    PumpThrottle(const std::function<void()>& pump, std::chrono::milliseconds interval)
        : pump_(pump), interval_(interval) {}

    void tick();

private:
    const std::function<void()>& pump_;
    std::chrono::milliseconds interval_;
    bool pumped_ = false;
    std::chrono::steady_clock::time_point lastPump_;
};

}  // namespace PlaceFile
