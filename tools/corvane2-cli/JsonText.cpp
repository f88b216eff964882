#include "JsonText.h"

#include <charconv>

QString JsonText(const QString& text) {
    QString quoted = "\"";
    for (QChar character : text) {
        if (character == u'"' || character == u'\\') {
            quoted += u'\\';
            quoted += character;
        } else if (character.unicode() < 0x20) {
            quoted += QString("\\u%1").arg(character.unicode(), 4, 16, QChar(u'0'));
        } else {
            quoted += character;
        }
    }
    return quoted + u'"';
}

QString JsonNumber(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}
