#include "project/PlaceFileRow.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "windowkit/DisplayLength.h"

namespace PlaceFile {
namespace {

constexpr qsizetype kSortKeyPartWidth = 50;

}  // namespace

BoardSide SideOfLayer(QStringView layer) {
    return layer.trimmed().startsWith(u'b', Qt::CaseInsensitive) ? BoardSide::Bottom
                                                                 : BoardSide::Top;
}

double BoundedRotation(double degrees) {
    return std::fmod(degrees, 360.0) + 0.0;
}

double ToMillimetres(double value, LengthUnit unit) {
    switch (unit) {
        case LengthUnit::Mil:
            return value / 1000 * kMmPerInch;
        case LengthUnit::Inch:
            return value * kMmPerInch;
        case LengthUnit::Millimetre:
            break;
    }
    return value;
}

QString UnitName(LengthUnit unit) {
    switch (unit) {
        case LengthUnit::Mil:
            return QStringLiteral("mil");
        case LengthUnit::Inch:
            return QStringLiteral("inches");
        case LengthUnit::Millimetre:
            break;
    }
    return QStringLiteral("mm");
}

std::optional<LengthUnit> UnitFromName(QStringView name) {
    static const std::pair<QLatin1StringView, LengthUnit> kNames[] = {
        {QLatin1StringView("mm"), LengthUnit::Millimetre},
        {QLatin1StringView("millimetres"), LengthUnit::Millimetre},
        {QLatin1StringView("millimeters"), LengthUnit::Millimetre},
        {QLatin1StringView("mil"), LengthUnit::Mil},
        {QLatin1StringView("mils"), LengthUnit::Mil},
        {QLatin1StringView("thou"), LengthUnit::Mil},
        {QLatin1StringView("in"), LengthUnit::Inch},
        {QLatin1StringView("inch"), LengthUnit::Inch},
        {QLatin1StringView("inches"), LengthUnit::Inch},
    };
    for (const auto& [text, unit] : kNames) {
        if (name.compare(text, Qt::CaseInsensitive) == 0) {
            return unit;
        }
    }
    return std::nullopt;
}

QString SortKey(const PartRec& row) {
    const double rotation = QString::number(row.Rotation, 'g', 12).toDouble();
    QString key;
    key.reserve(3 * kSortKeyPartWidth);
    for (const QString& part : {row.Pattern, row.Comment, QString::number(rotation, 'f', 3)}) {
        const qsizetype kept = std::min(part.size(), kSortKeyPartWidth);
        key.append(QStringView(part).first(kept)).append(QString(kSortKeyPartWidth - kept, u' '));
    }
    return key;
}

void SortRows(QList<PartRec>& rows) {
    std::vector<std::pair<QString, qsizetype>> keyed;
    keyed.reserve(static_cast<std::size_t>(rows.size()));
    for (qsizetype index = 0; index < rows.size(); ++index) {
        keyed.emplace_back(SortKey(rows[index]), index);
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& left, const auto& right) { return left.first < right.first; });
    QList<PartRec> sorted;
    sorted.reserve(rows.size());
    for (const auto& entry : keyed) {
        sorted.append(std::move(rows[entry.second]));
    }
    rows = std::move(sorted);
}

void PumpThrottle::tick() {
    if (!pump_) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!pumped_ || now - lastPump_ >= interval_) {
        pump_();
        pumped_ = true;
        lastPump_ = std::chrono::steady_clock::now();
    }
}

}  // namespace PlaceFile
