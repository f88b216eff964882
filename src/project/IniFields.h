#pragma once

#include <QList>
#include <QString>
#include <optional>
#include <span>
#include <variant>

#include "settings/IniText.h"

// A record's fields as the project and feeder files store them: one table per record type
// gives each field's key and member, and drives both writing and reading, so the two never
// drift apart. The file's default for a missing key is the member's value in a
// default-constructed record.
template <typename Record>
using FieldMember =
    std::variant<QString Record::*, int Record::*, double Record::*, bool Record::*>;

template <typename Record>
struct Field {
    const char* key;  // appended to the record's key prefix ("Part 3" + " Angle")
    FieldMember<Record> member;
};

// A list longer than this is a damaged count, not a machine's job; it would otherwise
// allocate without bound.
constexpr int kMaxListLength = 1'000'000;

inline QString FieldKey(const QString& prefix, const char* key) {
    return prefix + QLatin1String(key);
}

// One stored value under its key, for summaries of a file's content.
struct FileValue {
    QString key;
    std::variant<QString, int, double, bool> value;
};

// The record's values under their field keys (without a prefix and its space), in file order.
template <typename Record>
QList<FileValue> FieldValues(std::span<const Field<Record>> fields, const Record& record) {
    QList<FileValue> values;
    for (const Field<Record>& field : fields) {
        std::visit(
            [&](auto member) {
                values.append({QString::fromLatin1(field.key).trimmed(), record.*member});
            },
            field.member);
    }
    return values;
}

template <typename Record>
void WriteFields(IniWriter& writer, std::span<const Field<Record>> fields, const QString& prefix,
                 const Record& record) {
    for (const Field<Record>& field : fields) {
        std::visit([&](auto member) { writer.write(FieldKey(prefix, field.key), record.*member); },
                   field.member);
    }
}

template <typename Record>
void ReadFields(const IniSection& section, std::span<const Field<Record>> fields,
                const QString& prefix, Record& record) {
    static const Record defaults{};
    for (const Field<Record>& field : fields) {
        std::visit(
            [&](auto member) {
                record.*member = section.read(FieldKey(prefix, field.key), defaults.*member);
            },
            field.member);
    }
}

// "<countKey>=n", then the fields of items 1..n, each under "<itemWord> <n>".
template <typename Record>
void WriteList(IniWriter& writer, const QString& countKey, const QString& itemWord,
               std::span<const Field<Record>> fields, const QList<Record>& items) {
    writer.write(countKey, static_cast<int>(items.size()));
    for (qsizetype index = 0; index < items.size(); ++index) {
        WriteFields(writer, fields, itemWord + u' ' + QString::number(index + 1), items[index]);
    }
}

// The count decides how many items are read; an item whose keys are missing gets the
// defaults. Nothing when the count is negative, beyond kMaxListLength or beyond the number of
// values the section holds (every item saved has its values there, so a larger count is damage,
// and reading it would make items the file never held); `problem`, when given, then says so.
template <typename Record>
std::optional<QList<Record>> ReadList(const IniSection& section, const QString& countKey,
                                      const QString& itemWord,
                                      std::span<const Field<Record>> fields,
                                      QString* problem = nullptr) {
    const int count = section.read(countKey, 0);
    const bool inRange = count >= 0 && count <= kMaxListLength;
    if (!inRange || count > section.size()) {
        if (problem) {
            *problem = inRange ? QStringLiteral("\"%1\" is %2, but its section holds only %3 %4")
                                     .arg(countKey)
                                     .arg(count)
                                     .arg(section.size())
                                     .arg(section.size() == 1 ? "value" : "values")
                               : QStringLiteral("\"%1\" is %2, not a count from 0 to %3")
                                     .arg(countKey)
                                     .arg(count)
                                     .arg(kMaxListLength);
        }
        return std::nullopt;
    }
    QList<Record> items(count);
    for (int index = 0; index < count; ++index) {
        ReadFields(section, fields, itemWord + u' ' + QString::number(index + 1), items[index]);
    }
    return items;
}
