#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>
#include <optional>

#include "project/PlaceFileTable.h"

// The columns the operator named for a table's header, remembered in the machine settings
// store, so the next file with that header imports without asking. Section
// "Place File Columns", most recent first, one pair of keys per header:
//
//   Header 1=Part | Pos X | Pos Y | Angle | Layer
//   Columns 1=Designator 1, X 2, Y 3, Rotation 4, Side 5, Value none, Footprint none, Unit mm
//
// Columns count from 1; "Unit" is there when the operator chose the unit of bare numbers.
namespace PlaceFile {

inline constexpr int kRememberedHeaders = 20;

// "Designator 1, X 2, ..." and back; nothing when the text is not such a list.
QString ColumnsText(const ColumnMapping& columns);
std::optional<ColumnMapping> ColumnsFromText(QStringView text);

// The columns remembered for this header; nothing when none are, or they no longer fit it.
std::optional<ColumnMapping> RecallColumns(QSettings& store, const QStringList& header);

// Remembers the columns for the header, replacing what was remembered for it, and forgets the
// oldest header beyond kRememberedHeaders. False when the store cannot be written.
bool RememberColumns(QSettings& store, const QStringList& header, const ColumnMapping& columns);

}  // namespace PlaceFile
