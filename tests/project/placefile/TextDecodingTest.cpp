#include "project/TextDecoding.h"

#include <gtest/gtest.h>

namespace {

struct DecodingCase {
    const char* name;
    QByteArray bytes;
    QString expected;
};

QByteArray bytesOf(std::initializer_list<unsigned char> values) {
    QByteArray bytes;
    for (unsigned char value : values) {
        bytes.append(static_cast<char>(value));
    }
    return bytes;
}

TEST(DecodeText, ChoosesTheEncodingByMarkOrByValidity) {
    const QString microOhm = QString::fromUtf8("R1 5.1k\u03A9 10\u00B5H");
    const DecodingCase cases[] = {
        {"empty", QByteArray(), QString()},
        {"plain ASCII", "R1 0805", "R1 0805"},
        {"UTF-8 without mark", microOhm.toUtf8(), microOhm},
        {"UTF-8 with mark", bytesOf({0xEF, 0xBB, 0xBF}) + microOhm.toUtf8(), microOhm},
        {"UTF-16 LE with mark", bytesOf({0xFF, 0xFE, 'R', 0, '1', 0, 0xA9, 0x03}),
         QString::fromUtf8("R1\u03A9")},
        {"UTF-16 BE with mark", bytesOf({0xFE, 0xFF, 0, 'R', 0, '1', 0x03, 0xA9}),
         QString::fromUtf8("R1\u03A9")},
        {"Latin-1 micro sign is not valid UTF-8", bytesOf({'1', '0', ' ', 0xB5, 'H'}),
         QString::fromUtf8("10 \u00B5H")},
        {"truncated UTF-8 sequence falls back to Latin-1", bytesOf({'a', 0xC3}),
         QString::fromUtf8("a\u00C3")},
        {"only the selecting mark is dropped", bytesOf({0xEF, 0xBB, 0xBF, 0xEF, 0xBB, 0xBF, 'x'}),
         QString(QChar(0xFEFF)) + u'x'},
    };
    for (const DecodingCase& testCase : cases) {
        EXPECT_EQ(DecodeText(testCase.bytes), testCase.expected) << testCase.name;
    }
}

}  // namespace
