#pragma once

// What the place-file tests check of the rows they read.

#include <gtest/gtest.h>

#include <QList>
#include <QString>
#include <algorithm>
#include <string>

#include "project/PlaceFileRow.h"

// Every field of a row, lengths to a billionth of a millimetre.
inline void ExpectSameRow(const PlaceFile::PartRec& actual, const PlaceFile::PartRec& expected,
                          const std::string& name) {
    EXPECT_EQ(actual.Designator, expected.Designator) << name;
    EXPECT_EQ(actual.Pattern, expected.Pattern) << name;
    EXPECT_NEAR(actual.X, expected.X, 1e-9) << name;
    EXPECT_NEAR(actual.Y, expected.Y, 1e-9) << name;
    EXPECT_EQ(actual.Layer, expected.Layer) << name;
    EXPECT_DOUBLE_EQ(actual.Rotation, expected.Rotation) << name;
    EXPECT_EQ(actual.Comment, expected.Comment) << name;
    EXPECT_EQ(actual.Side, expected.Side) << name;
}

// The row of a designator; nothing (and a failed expectation) when there is none.
inline const PlaceFile::PartRec* FindRow(const QList<PlaceFile::PartRec>& rows,
                                         const QString& designator) {
    const auto found = std::ranges::find(rows, designator, &PlaceFile::PartRec::Designator);
    EXPECT_NE(found, rows.cend()) << designator.toStdString();
    return found == rows.cend() ? nullptr : &*found;
}
