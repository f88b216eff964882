#include "project/PlaceFileImport.h"

#include <QFile>
#include <algorithm>

#include "settings/TextEncoding.h"

namespace PlaceFile {

QStringList SplitLines(const QString& text) {
    QStringList lines = text.split(u'\n');
    if (lines.constLast().isEmpty()) {
        lines.removeLast();
    }
    for (QString& line : lines) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
    }
    return lines;
}

std::optional<QStringList> ReadPlaceFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return SplitLines(DecodeText(bytes));
}

SideCounts CountSides(const QList<PartRec>& rows) {
    SideCounts counts;
    for (const PartRec& row : rows) {
        ++(row.Side == BoardSide::Bottom ? counts.Bottom : counts.Top);
    }
    return counts;
}

PartRec TurnedOver(const PartRec& row) {
    PartRec turned = row;
    turned.X = -row.X + 0.0;
    turned.Rotation = BoundedRotation(180 - row.Rotation);
    return turned;
}

QList<PartRec> SelectRows(const QList<PartRec>& rows, SideChoice side) {
    if (side == SideChoice::All) {
        return rows;
    }
    const BoardSide wanted = side == SideChoice::Top ? BoardSide::Top : BoardSide::Bottom;
    QList<PartRec> selected;
    for (const PartRec& row : rows) {
        if (row.Side == wanted) {
            selected.append(side == SideChoice::BottomTurnedOver ? TurnedOver(row) : row);
        }
    }
    if (side == SideChoice::BottomTurnedOver) {
        SortRows(selected);  // the angles changed, and with them the order of the sort key
    }
    return selected;
}

::PartRec ToProjectPart(const PartRec& row) {
    ::PartRec part;
    part.Designator = row.Designator;
    part.Comment = row.Comment + u' ' + row.Pattern;
    part.X = row.X;
    part.Y = row.Y;
    part.Angle = row.Rotation;
    part.Feeder = 0;
    part.Enabled = true;
    return part;
}

bool ReplacePartList(ProjectState& project, const QList<PartRec>& rows, bool metric) {
    if (rows.isEmpty()) {
        return false;
    }
    project.Parts.clear();
    project.Parts.reserve(rows.size());
    for (const PartRec& row : rows) {
        project.Parts.append(ToProjectPart(row));
    }
    project.CurrentPart = std::clamp(project.CurrentPart, 1, project.PartCount());
    project.Metric = metric;
    project.ProjectModified = true;
    return true;
}

}  // namespace PlaceFile
