#include "project/TextDecoding.h"

#include <QStringDecoder>
#include <array>

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

// The caller strips the mark that selected the encoding; a second mark stays in the text.
QStringDecoder decoderFor(QStringConverter::Encoding encoding) {
    return QStringDecoder(
        encoding, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
}

}  // namespace

QString DecodeText(const QByteArray& bytes) {
    for (const ByteOrderMark& mark : kByteOrderMarks) {
        if (bytes.startsWith(mark.bytes)) {
            return decoderFor(mark.encoding)
                .decode(QByteArrayView(bytes).sliced(mark.bytes.size()));
        }
    }
    QStringDecoder utf8 = decoderFor(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}
