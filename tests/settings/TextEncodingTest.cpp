#include "settings/TextEncoding.h"

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
        {"Windows-1252 micro sign is not valid UTF-8", bytesOf({'1', '0', ' ', 0xB5, 'H'}),
         QString::fromUtf8("10 \u00B5H")},
        {"truncated UTF-8 sequence falls back to Windows-1252", bytesOf({'a', 0xC3}),
         QString::fromUtf8("a\u00C3")},
        {"Windows-1252 between 0x80 and 0x9F",
         bytesOf({0x80, 0x85, 0x91, 0x92, 0x93, 0x94, 0x96, 0x97, 0x99, 0x8C, 0x9F}),
         QString::fromUtf8("\u20AC\u2026\u2018\u2019\u201C\u201D\u2013\u2014\u2122\u0152\u0178")},
        {"the five bytes without a character keep their number",
         bytesOf({0x81, 0x8D, 0x8F, 0x90, 0x9D, 0xFF}),
         QString::fromUtf8("\u0081\u008D\u008F\u0090\u009D\u00FF")},
        // Kept as they were, they were saved as "?" and the file changed at every save.
        {"UTF-16 surrogates without their partner read as the replacement character",
         bytesOf({0xFF, 0xFE, 0x00, 0xD8, 'a', 0, 0x3D, 0xD8, 0x00, 0xDE, 0x00, 0xDC}),
         QString::fromUtf8("\uFFFDa\U0001F600\uFFFD")},
        {"only the selecting mark is dropped", bytesOf({0xEF, 0xBB, 0xBF, 0xEF, 0xBB, 0xBF, 'x'}),
         QString(QChar(0xFEFF)) + u'x'},
    };
    for (const DecodingCase& testCase : cases) {
        EXPECT_EQ(DecodeText(testCase.bytes), testCase.expected) << testCase.name;
    }
}

TEST(EncodeText, WritesWindows1252WhenEveryCharacterFitsElseUtf8) {
    struct EncodingCase {
        const char* name;
        QString text;
        QByteArray expected;
    };
    const EncodingCase cases[] = {
        {"plain ASCII", "R1 0805", "R1 0805"},
        {"Latin-1 letters", QString::fromUtf8("10\u00B5F \u00B10.1 S\u00FCd"),
         bytesOf({'1', '0', 0xB5, 'F', ' ', 0xB1, '0', '.', '1', ' ', 'S', 0xFC, 'd'})},
        {"characters of 0x80 to 0x9F", QString::fromUtf8("\u20AC5 \u2013 \u201Cx\u201D"),
         bytesOf({0x80, '5', ' ', 0x96, ' ', 0x93, 'x', 0x94})},
        {"one character beyond the code page makes it all UTF-8",
         QString::fromUtf8("\u00B5 5.1k\u03A9"), QString::fromUtf8("\u00B5 5.1k\u03A9").toUtf8()},
        {"a CJK comment", QString::fromUtf8("\u7535\u963B"),
         QString::fromUtf8("\u7535\u963B").toUtf8()},
        {"8-bit text that would read back as UTF-8", QString::fromUtf8("\u00C3\u00A9"),
         QString::fromUtf8("\u00C3\u00A9").toUtf8()},
        {"8-bit text that would read back as a byte-order mark",
         QString::fromUtf8("\u00FF\u00FEab"), QString::fromUtf8("\u00FF\u00FEab").toUtf8()},
    };
    for (const EncodingCase& testCase : cases) {
        const QByteArray bytes = EncodeText(testCase.text);
        EXPECT_EQ(bytes, testCase.expected) << testCase.name;
        EXPECT_EQ(DecodeText(bytes), testCase.text) << testCase.name;
    }
}

TEST(EncodeText, EveryByteThatIsNotUtf8ReadsAndWritesBackUnchanged) {
    QByteArray everyByte;
    for (int value = 0; value < 256; ++value) {
        everyByte.append(static_cast<char>(value));
    }
    const QString text = DecodeText(everyByte);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(EncodeText(text), everyByte);
}

}  // namespace
