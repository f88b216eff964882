#include "project/PlaceFileColumnMemory.h"

#include <QList>
#include <algorithm>
#include <utility>

#include "settings/NumberText.h"

namespace PlaceFile {
namespace {

const QString kSection = QStringLiteral("Place File Columns");
const QString kUnitName = QStringLiteral("Unit");
const QString kNone = QStringLiteral("none");

QString headerKey(int number) {
    return QStringLiteral("%1/Header %2").arg(kSection).arg(number);
}

QString columnsKey(int number) {
    return QStringLiteral("%1/Columns %2").arg(kSection).arg(number);
}

QString headerText(const QStringList& header) {
    return header.join(QStringLiteral(" | "));
}

std::optional<Column> columnNamed(QStringView name) {
    for (Column column : kColumns) {
        if (name.compare(ColumnCaption(column), Qt::CaseInsensitive) == 0) {
            return column;
        }
    }
    return std::nullopt;
}

// One "Name value" item into the columns; false when it is none.
bool readItem(QStringView item, ColumnMapping& columns) {
    const qsizetype space = item.lastIndexOf(u' ');
    if (space < 0) {
        return false;
    }
    const QStringView name = item.first(space).trimmed();
    const QStringView value = item.sliced(space + 1);
    if (name.compare(kUnitName, Qt::CaseInsensitive) == 0) {
        columns.unit = UnitFromName(value);
        return columns.unit.has_value();
    }
    const std::optional<Column> column = columnNamed(name);
    if (!column) {
        return false;
    }
    if (value.compare(kNone, Qt::CaseInsensitive) == 0) {
        columns[*column] = -1;
        return true;
    }
    const std::optional<int> number = ParseInteger(value);
    if (!number || *number < 1) {
        return false;
    }
    columns[*column] = *number - 1;
    return true;
}

bool fits(const ColumnMapping& columns, const QStringList& header) {
    return columns.Usable() && std::ranges::all_of(columns.index, [&header](int index) {
               return index < header.size();
           });
}

using Remembered = QList<std::pair<QString, QString>>;  // header text, columns text

Remembered rememberedEntries(QSettings& store) {
    Remembered entries;
    for (int number = 1; number <= kRememberedHeaders; ++number) {
        const QVariant header = store.value(headerKey(number));
        const QVariant columns = store.value(columnsKey(number));
        if (header.isValid() && columns.isValid()) {
            entries.append({header.toString(), columns.toString()});
        }
    }
    return entries;
}

}  // namespace

QString ColumnsText(const ColumnMapping& columns) {
    QStringList items;
    for (Column column : kColumns) {
        const int index = columns[column];
        items << ColumnCaption(column) + u' ' + (index < 0 ? kNone : QString::number(index + 1));
    }
    if (columns.unit) {
        items << kUnitName + u' ' + UnitName(*columns.unit);
    }
    return items.join(QStringLiteral(", "));
}

std::optional<ColumnMapping> ColumnsFromText(QStringView text) {
    ColumnMapping columns;
    for (QStringView item : text.split(u',')) {
        if (!readItem(item.trimmed(), columns)) {
            return std::nullopt;
        }
    }
    return columns;
}

std::optional<ColumnMapping> RecallColumns(QSettings& store, const QStringList& header) {
    const QString wanted = headerText(header);
    for (const auto& [remembered, columnsText] : rememberedEntries(store)) {
        if (remembered == wanted) {
            const std::optional<ColumnMapping> columns = ColumnsFromText(columnsText);
            return columns && fits(*columns, header) ? columns : std::nullopt;
        }
    }
    return std::nullopt;
}

bool RememberColumns(QSettings& store, const QStringList& header, const ColumnMapping& columns) {
    if (!store.isWritable()) {
        return false;
    }
    const QString text = headerText(header);
    Remembered entries = rememberedEntries(store);
    entries.removeIf([&text](const auto& entry) { return entry.first == text; });
    entries.prepend({text, ColumnsText(columns)});
    entries.resize(std::min<qsizetype>(entries.size(), kRememberedHeaders));
    store.remove(kSection);
    for (int number = 1; number <= entries.size(); ++number) {
        store.setValue(headerKey(number), entries[number - 1].first);
        store.setValue(columnsKey(number), entries[number - 1].second);
    }
    store.sync();
    return store.status() != QSettings::AccessError;
}

}  // namespace PlaceFile
