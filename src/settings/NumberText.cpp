#include "settings/NumberText.h"

#include <charconv>
#include <cmath>

namespace {

// Plain ASCII copy of a trimmed text, or nothing when it holds other characters.
std::optional<std::string> asciiTrimmed(QStringView text) {
    const QStringView trimmed = text.trimmed();
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(trimmed.size()));
    for (QChar c : trimmed) {
        if (c.unicode() > 0x7f) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(c.unicode()));
    }
    return bytes;
}

}  // namespace

QString FormatReal(double value) {
    constexpr int kSignificant = 10;
    constexpr int kDecimals = 10;
    if (!std::isfinite(value)) {
        return QString::number(value);
    }
    // The ten significant digits are taken as decimal text: printing the rounded double with
    // ten decimals would show its binary error (1234567.123 -> "1234567.1229999999").
    const QString scientific = QString::number(std::abs(value), 'e', kSignificant - 1);
    const qsizetype exponentAt = scientific.indexOf(u'e');
    const int integerDigits = scientific.mid(exponentAt + 1).toInt() + 1;
    if (integerDigits < 0) {
        // Below 0.1 the ten decimals keep fewer digits than ten significant ones: round there.
        return FormatFixed(value, kDecimals);
    }
    const QString digits =
        scientific.left(exponentAt).remove(u'.').leftJustified(integerDigits + kDecimals, u'0');
    const QString integerPart =
        integerDigits == 0 ? QStringLiteral("0") : digits.left(integerDigits);
    const QString sign = value < 0 ? QStringLiteral("-") : QString();
    return sign + integerPart + u'.' + digits.mid(integerDigits, kDecimals);
}

QString FormatFixed(double value, int decimals) {
    QString text = QString::number(value, 'f', decimals);
    // "-0.000" reads oddly and is not what a round-trip of zero should give.
    if (text.startsWith(u'-') && QString::number(0.0, 'f', decimals) == text.mid(1)) {
        text.remove(0, 1);
    }
    return text;
}

std::optional<double> ParseReal(QStringView text) {
    const auto bytes = asciiTrimmed(text);
    if (!bytes || bytes->empty()) {
        return std::nullopt;
    }
    const char* first = bytes->data();
    const char* last = first + bytes->size();
    if (*first == '+' && first + 1 != last && first[1] != '-') {
        ++first;  // from_chars takes no plus sign
    }
    if (first == last ||
        !(std::isdigit(static_cast<unsigned char>(*first)) || *first == '-' || *first == '.')) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error != std::errc() || end != last || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> ParseInteger(QStringView text) {
    const auto bytes = asciiTrimmed(text);
    if (!bytes || bytes->empty()) {
        return std::nullopt;
    }
    const char* first = bytes->data();
    const char* last = first + bytes->size();
    if (*first == '+' && first + 1 != last && first[1] != '-') {
        ++first;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value, 10);
    if (error != std::errc() || end != last || first == last) {
        return std::nullopt;
    }
    return value;
}
