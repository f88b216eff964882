#include "project/PartList.h"

#include <algorithm>
#include <climits>
#include <tuple>

#include "project/FeederList.h"
#include "settings/NumberText.h"

namespace {

constexpr int kSortsLast = INT_MAX;
constexpr double kFullTurn = 360;

// Index of the current part in Parts, or -1 when CurrentPart lies outside the list.
qsizetype currentIndex(const ProjectState& project) {
    const int current = project.CurrentPart;
    return current >= 1 && current <= project.PartCount() ? current - 1 : -1;
}

char16_t upperAscii(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

}  // namespace

void NormaliseCurrentPart(ProjectState& project) {
    project.CurrentPart =
        std::clamp(project.CurrentPart, project.PartCount() > 0 ? 1 : 0, project.PartCount());
}

PartRec* CurrentPartRec(ProjectState& project) {
    const qsizetype index = currentIndex(project);
    return index >= 0 ? &project.Parts[index] : nullptr;
}

const PartRec* CurrentPartRec(const ProjectState& project) {
    const qsizetype index = currentIndex(project);
    return index >= 0 ? &project.Parts[index] : nullptr;
}

QString PartListEntry(const PartRec& part, int number) {
    QString entry = QString("Part %1").arg(number);
    if (!part.Enabled) {
        entry += " - DISABLED";
    }
    for (const QString& text : {part.Designator, part.Comment}) {
        if (!text.isEmpty()) {
            entry += " - " + text;
        }
    }
    return entry;
}

QString PartDetailsCaption(const ProjectState& project) {
    if (project.PartCount() <= 0) {
        return "Part Details - No Parts";
    }
    return QString("Part Details - %1 of %2").arg(project.CurrentPart).arg(project.PartCount());
}

QStringList FeederItems(const ProjectState& project) {
    QStringList items;
    items.reserve(project.FeederCount());
    for (int n = 1; n <= project.FeederCount(); ++n) {
        const QString& description = project.Feeders[n - 1].Description;
        items << (description.isEmpty() ? QString::number(n)
                                        : QString("%1 - %2").arg(n).arg(description));
    }
    return items;
}

QString FeederSnapPath(const ProjectState& project, const QString& systemSettingsFolder) {
    const PartRec* part = CurrentPartRec(project);
    const FeederRec* feeder = part ? FeederAt(project, part->Feeder) : nullptr;
    return feeder ? FeederSnapFile(systemSettingsFolder, *feeder) : QString();
}

void AddPart(ProjectState& project, double x, double y) {
    PartRec part;
    part.X = x;
    part.Y = y;
    project.Parts.append(part);
    project.CurrentPart = project.PartCount();
}

bool DeleteCurrentPart(ProjectState& project) {
    if (!CurrentPartRec(project)) {
        return false;
    }
    project.Parts.removeAt(project.CurrentPart - 1);
    project.CurrentPart = std::min(project.CurrentPart, project.PartCount());
    return true;
}

PartSortKey SortKeyOf(const ProjectState& project, const PartRec& part) {
    const FeederRec* feeder = FeederAt(project, part.Feeder);
    const int nozzle = feeder ? feeder->Nozzle : 0;
    return {nozzle >= 1 ? nozzle : kSortsLast, part.Feeder >= 1 ? part.Feeder : kSortsLast,
            part.Designator, part.Comment};
}

bool operator<(const PartSortKey& a, const PartSortKey& b) {
    // QString's < compares UTF-16 code units: no case folding, no locale.
    return std::tie(a.nozzle, a.feeder, a.designator, a.comment) <
           std::tie(b.nozzle, b.feeder, b.designator, b.comment);
}

bool SortParts(ProjectState& project) {
    if (project.PartCount() < 2) {
        return false;
    }
    std::sort(project.Parts.begin(), project.Parts.end(),
              [&project](const PartRec& a, const PartRec& b) {
                  return SortKeyOf(project, a) < SortKeyOf(project, b);
              });
    project.CurrentPart = 1;
    return true;
}

bool SameComment(QStringView a, QStringView b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](QChar x, QChar y) {
               return upperAscii(x.unicode()) == upperAscii(y.unicode());
           });
}

bool ChangeFeeder(ProjectState& project, int feeder) {
    PartRec* part = CurrentPartRec(project);
    if (!part || part->Feeder == feeder) {
        return false;
    }
    part->Feeder = feeder;
    return true;
}

void AssignFeederToMatchingParts(ProjectState& project, int feeder) {
    const PartRec* current = CurrentPartRec(project);
    if (!current) {
        return;
    }
    const QString comment = current->Comment;
    for (PartRec& part : project.Parts) {
        if (SameComment(part.Comment, comment)) {
            part.Feeder = feeder;
        }
    }
}

std::optional<double> ParsePartAngle(QStringView text) {
    const std::optional<double> angle = ParseReal(text);
    if (!angle || *angle <= -kFullTurn || *angle >= kFullTurn) {
        return std::nullopt;
    }
    return angle;
}
