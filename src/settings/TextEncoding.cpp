#include "settings/TextEncoding.h"

#include <QStringDecoder>
#include <array>
#include <optional>

namespace {

struct ByteOrderMark {
    QByteArrayView bytes;
    QStringConverter::Encoding encoding;
};

constexpr std::array<ByteOrderMark, 3> kByteOrderMarks{{
    {"\xEF\xBB\xBF", QStringConverter::Utf8},
    {"\xFF\xFE", QStringConverter::Utf16LE},
    {"\xFE\xFF", QStringConverter::Utf16BE},
}};

// The characters of the bytes 0x80 to 0x9F; every other byte is the character of its own
// number. 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no character in the code page and stand for
// the control character of their number, as in the system's own conversion.
constexpr std::array<char16_t, 32> kWindows1252High{{
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178',
}};

constexpr unsigned char kHighFirst = 0x80;
constexpr unsigned char kHighLast = 0x9F;

// The caller strips the mark that selected the encoding; a second mark stays in the text.
QStringDecoder decoderFor(QStringConverter::Encoding encoding) {
    return QStringDecoder(
        encoding, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
}

std::optional<QString> decodeUtf8(QByteArrayView bytes) {
    QStringDecoder utf8 = decoderFor(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        return std::nullopt;
    }
    return text;
}

// Qt's UTF-16 decoders keep a surrogate that lacks its partner, which no encoder can write
// (UTF-8 gives "?"): it reads as the replacement character, as a damaged UTF-8 sequence does, so
// what is read saves and reads back the same.
QString withoutLoneSurrogates(QString text) {
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
            ++at;
        } else if (text[at].isSurrogate()) {
            text[at] = QChar::ReplacementCharacter;
        }
    }
    return text;
}

QString decodeWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        const bool high = code >= kHighFirst && code <= kHighLast;
        *out++ = QChar(high ? kWindows1252High[code - kHighFirst] : char16_t(code));
    }
    return text;
}

std::optional<char> windows1252Byte(QChar character) {
    const char16_t code = character.unicode();
    if (code < kHighFirst || (code > kHighLast && code <= 0xFF)) {
        return static_cast<char>(code);
    }
    for (std::size_t index = 0; index < kWindows1252High.size(); ++index) {
        if (kWindows1252High[index] == code) {
            return static_cast<char>(kHighFirst + index);
        }
    }
    return std::nullopt;
}

std::optional<QByteArray> encodeWindows1252(const QString& text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar character : text) {
        const std::optional<char> byte = windows1252Byte(character);
        if (!byte) {
            return std::nullopt;
        }
        *out++ = *byte;
    }
    return bytes;
}

}  // namespace

QString DecodeText(const QByteArray& bytes) {
    for (const ByteOrderMark& mark : kByteOrderMarks) {
        if (bytes.startsWith(mark.bytes)) {
            return withoutLoneSurrogates(
                decoderFor(mark.encoding).decode(QByteArrayView(bytes).sliced(mark.bytes.size())));
        }
    }
    if (std::optional<QString> text = decodeUtf8(bytes)) {
        return *text;
    }
    return decodeWindows1252(bytes);
}

QByteArray EncodeText(const QString& text) {
    // Some 8-bit texts would read back as others: "Ã©" as the UTF-8 of "é", a leading "ÿþ" as
    // a byte-order mark. Those go out as UTF-8.
    if (std::optional<QByteArray> bytes = encodeWindows1252(text);
        bytes && DecodeText(*bytes) == text) {
        return *bytes;
    }
    return text.toUtf8();
}
