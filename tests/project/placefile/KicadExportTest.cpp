// KiCad's own place files of a board built by fixtures/kicad/make_fixtures.py, held against
// what the script placed: every export (mm and inches, .pos and CSV, each side and both, from
// the page origin and from the auxiliary origin) must give the positions, angles and sides of
// the board, and the pads of the asymmetric parts must land where KiCad put them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtMath>

#include "project/PlaceFileFormats.h"
#include "project/PlaceFileImport.h"

using namespace PlaceFile;

namespace {

using PlaceFile::PartRec;

const QString kKicadFolder = CORVANE_SOURCE_DIR "/tests/project/placefile/fixtures/kicad";

struct Point {
    double x = 0;
    double y = 0;
};

struct Pad {
    Point library;  // the footprint's own frame, Y down as KiCad draws it
    Point board;    // KiCad's board frame, Y down
};

struct Placement {
    QString reference, footprint, value;
    Point at;  // KiCad's board frame
    double angle = 0;
    BoardSide side = BoardSide::Top;
    QList<Pad> pads;
};

struct Board {
    Point auxOrigin;
    QList<Placement> placements;
};

Point point(const QJsonObject& object, const char* x, const char* y) {
    return {object[x].toDouble(), object[y].toDouble()};
}

Board loadBoard() {
    QFile file(kKicadFolder + "/placements.json");
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    Board board{point(root["aux_origin"].toObject(), "x", "y"), {}};
    for (const QJsonValue& value : root["placements"].toArray()) {
        const QJsonObject object = value.toObject();
        Placement placement{
            object["ref"].toString(),
            object["footprint"].toString(),
            object["value"].toString(),
            point(object, "x", "y"),
            object["angle"].toDouble(),
            object["side"].toString() == "bottom" ? BoardSide::Bottom : BoardSide::Top,
            {}};
        for (const QJsonValue& pad : object["pads"].toArray()) {
            placement.pads.append({point(pad.toObject(), "library_x", "library_y"),
                                   point(pad.toObject(), "board_x", "board_y")});
        }
        board.placements.append(placement);
    }
    EXPECT_EQ(board.placements.size(), 11);
    return board;
}

// A point of KiCad's board frame in the place file's: from the origin, Y up, as seen from the
// top.
Point topView(Point board, Point origin) {
    return {board.x - origin.x, -(board.y - origin.y)};
}

Point rotated(Point offset, double degrees) {
    const double radians = qDegreesToRadians(degrees);
    return {offset.x * std::cos(radians) - offset.y * std::sin(radians),
            offset.x * std::sin(radians) + offset.y * std::cos(radians)};
}

struct Export {
    QString file;
    QString sides;  // "all", "top", "bottom"
    bool fromAuxOrigin;
    PlaceFormat format;
    LengthUnit unit;
};

QList<Export> exports() {
    QList<Export> list;
    for (const QString unit : {"mm", "inches"}) {
        for (const QString sides : {"all", "top", "bottom"}) {
            const QString stem = QString("board-%1-%2").arg(unit, sides);
            const LengthUnit length = unit == "mm" ? LengthUnit::Millimetre : LengthUnit::Inch;
            list.append({stem + ".pos", sides, false, PlaceFormat::KicadPos, length});
            // The CSV does not say its unit: the operator says inches.
            list.append({stem + "-pos.csv", sides, false, PlaceFormat::KicadCsv, length});
        }
    }
    list.append({"board-mm-all-aux-origin.pos", "all", true, PlaceFormat::KicadPos,
                 LengthUnit::Millimetre});
    list.append({"board-mm-all-aux-origin-pos.csv", "all", true, PlaceFormat::KicadCsv,
                 LengthUnit::Millimetre});
    return list;
}

PlaceFileReading readExport(const Export& file) {
    const auto lines = ReadPlaceFile(kKicadFolder + "/" + file.file);
    EXPECT_TRUE(lines) << file.file.toStdString();
    ReadOptions options;
    options.assumedUnit = file.unit;
    return RecognisePlaceLines(lines.value_or(QStringList()), options);
}

bool exported(const Placement& placement, const QString& sides) {
    return sides == "all" || (sides == "bottom") == (placement.side == BoardSide::Bottom);
}

// The .pos writes inches with 4 decimals, the CSV with 6.
double tolerance(const Export& file) {
    return file.unit == LengthUnit::Inch ? 0.00005 * 25.4 : 1e-9;
}

TEST(KicadExport, EveryExportGivesThePositionsAnglesAndSidesOfTheBoard) {
    const Board board = loadBoard();
    for (const Export& file : exports()) {
        const std::string name = file.file.toStdString();
        const PlaceFileReading reading = readExport(file);
        ASSERT_TRUE(reading.Succeeded()) << name << ": " << reading.Problem.toStdString();
        EXPECT_EQ(reading.Format, file.format) << name;
        EXPECT_EQ(reading.Unit, file.unit) << name;
        EXPECT_EQ(reading.UnitStated, file.format == PlaceFormat::KicadPos) << name;
        const Point origin = file.fromAuxOrigin ? board.auxOrigin : Point{};
        qsizetype expectedRows = 0;
        for (const Placement& placement : board.placements) {
            if (!exported(placement, file.sides)) {
                continue;
            }
            ++expectedRows;
            const std::string part = name + " " + placement.reference.toStdString();
            const auto row =
                std::ranges::find(reading.Rows, placement.reference, &PartRec::Designator);
            ASSERT_NE(row, reading.Rows.cend()) << part;
            const Point expected = topView(placement.at, origin);
            EXPECT_NEAR(row->X, expected.x, tolerance(file)) << part;
            EXPECT_NEAR(row->Y, expected.y, tolerance(file)) << part;
            EXPECT_DOUBLE_EQ(row->Rotation, placement.angle) << part;
            EXPECT_EQ(row->Side, placement.side) << part;
            EXPECT_EQ(row->Pattern, placement.footprint) << part;
            // The .pos joins the words of a value with "_"; the CSV keeps them.
            EXPECT_EQ(QString(row->Comment).replace(u'_', u' '), placement.value) << part;
        }
        EXPECT_EQ(reading.Rows.size(), expectedRows) << name;
        EXPECT_EQ(reading.BottomSeenFromBelow, file.sides != "top") << name;
    }
}

// Each pad of every part, from the imported row and the footprint's own pads, must land where
// KiCad put it: on the top as the top view shows it; on the bottom as the machine sees the
// board turned over about its Y axis (the pads of a turned-over board are the mirror image of
// the top view).
TEST(KicadExport, PadsLandWhereKicadPutThemOnTopAndOnTheTurnedOverBottom) {
    const Board board = loadBoard();
    for (const Export& file : exports()) {
        const std::string name = file.file.toStdString();
        const PlaceFileReading reading = readExport(file);
        const Point origin = file.fromAuxOrigin ? board.auxOrigin : Point{};
        const QList<PartRec> top = SelectRows(reading.Rows, SideChoice::Top);
        const QList<PartRec> turned = SelectRows(reading.Rows, SideChoice::BottomTurnedOver);
        for (const Placement& placement : board.placements) {
            const QList<PartRec>& rows = placement.side == BoardSide::Top ? top : turned;
            const auto row = std::ranges::find(rows, placement.reference, &PartRec::Designator);
            if (row == rows.cend()) {
                continue;  // not in this export
            }
            const double mirror = placement.side == BoardSide::Top ? 1 : -1;
            for (const Pad& pad : placement.pads) {
                const Point offset = rotated({pad.library.x, -pad.library.y}, row->Rotation);
                const Point where = topView(pad.board, origin);
                const std::string part = name + " " + placement.reference.toStdString();
                EXPECT_NEAR(row->X + offset.x, mirror * where.x, 2 * tolerance(file) + 1e-6)
                    << part;
                EXPECT_NEAR(row->Y + offset.y, where.y, 2 * tolerance(file) + 1e-6) << part;
            }
        }
    }
}

}  // namespace
