#include "project/FeederFile.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

#include "project/FeederList.h"
#include "project/IniFields.h"
#include "project/TextFiles.h"
#include "settings/TextEncoding.h"

namespace {

const QString kSection = QStringLiteral("Feeder List");
const QString kCountKey = QStringLiteral("Feeder Count");
const QString kItemWord = QStringLiteral("Feeder");

constexpr std::array<Field<FeederRec>, 17> kFeederFields{{
    {" Description", &FeederRec::Description},
    {" Snap Name", &FeederRec::SnapName},
    {" Kind", &FeederRec::Kind},
    {" Location", &FeederRec::Location},
    {" X", &FeederRec::X},
    {" Y", &FeederRec::Y},
    {" Z", &FeederRec::Z},
    {" Height", &FeederRec::PartHeight},
    {" Nozzle", &FeederRec::Nozzle},
    {" Tray X Spacing", &FeederRec::TraySpacingX},
    {" Tray Y Spacing", &FeederRec::TraySpacingY},
    {" Tray X Count", &FeederRec::TrayCountX},
    {" Tray Y Count", &FeederRec::TrayCountY},
    {" Tray Pick Count", &FeederRec::TrayPickCount},
    {" Place Speed Type", &FeederRec::PlaceSpeedType},
    {" Reject Tray", &FeederRec::RejectTray},
    {" Use Vision", &FeederRec::Use_Vision},
}};

// The feeder file holds the same fields, in the same order, except the tray position.
const std::vector<Field<FeederRec>>& feederFileFields() {
    static const std::vector<Field<FeederRec>> fields = [] {
        const FieldMember<FeederRec> trayPosition = &FeederRec::TrayPickCount;
        std::vector<Field<FeederRec>> kept;
        std::ranges::copy_if(
            kFeederFields, std::back_inserter(kept),
            [&](const Field<FeederRec>& field) { return field.member != trayPosition; });
        return kept;
    }();
    return fields;
}

QString feederFilePath(const QString& folder, const QString& name) {
    return folder + name + QStringLiteral(".Feeder");
}

}  // namespace

void WriteFeederListSection(IniWriter& writer, const QList<FeederRec>& feeders) {
    writer.section(kSection);
    WriteList<FeederRec>(writer, kCountKey, kItemWord, kFeederFields, feeders);
}

std::optional<QList<FeederRec>> ReadFeederListSection(const IniDocument& document,
                                                      QString* problem) {
    auto feeders = ReadList<FeederRec>(document.section(kSection), kCountKey, kItemWord,
                                       kFeederFields, problem);
    if (feeders) {
        std::ranges::for_each(*feeders, ApplyKindLocation);
    }
    return feeders;
}

QList<FileValue> FeederFileValues(const FeederRec& feeder) {
    return FieldValues<FeederRec>(kFeederFields, feeder);
}

QByteArray FeederFileText(const FeederRec& feeder) {
    IniWriter writer;
    writer.section(kSection);
    WriteFields<FeederRec>(writer, feederFileFields(), kItemWord, feeder);
    return EncodeText(writer.text());
}

bool LoadFeederFile(const QString& folder, const QString& name, FeederRec& feeder) {
    QString text;
    if (!ReadTextFile(feederFilePath(folder, name), text)) {
        return false;
    }
    feeder = FeederRec{};
    ReadFields<FeederRec>(IniDocument::parse(text).section(kSection), feederFileFields(), kItemWord,
                          feeder);
    ApplyKindLocation(feeder);
    return true;
}

bool SaveFeederFile(const QString& folder, const QString& name, const FeederRec& feeder) {
    return ReplaceFile(feederFilePath(folder, name), FeederFileText(feeder));
}
