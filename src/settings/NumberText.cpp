#include "settings/NumberText.h"

#include <charconv>
#include <cmath>

namespace {

// The plain ASCII text of a number, without surrounding blanks or a leading plus sign (which
// from_chars does not take); nothing when it is empty or holds other characters.
std::optional<std::string> numberText(QStringView text) {
    const QStringView trimmed = text.trimmed();
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(trimmed.size()));
    for (QChar c : trimmed) {
        if (c.unicode() > 0x7f) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(c.unicode()));
    }
    if (bytes.size() > 1 && bytes[0] == '+' && bytes[1] != '-') {
        bytes.erase(0, 1);
    }
    if (bytes.empty()) {
        return std::nullopt;
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
    QString scientific = QString::number(std::abs(value), 'e', kSignificant - 1);
    // Only a double this large can round up past the largest one. Checked only there: reading
    // the text back costs more than writing it, and files hold many numbers.
    constexpr double kNearLargest = 1e308;
    if (std::abs(value) >= kNearLargest && !ParseReal(scientific)) {
        // Rounded up past the largest double, the text would read back as no number: cut the
        // digits instead of rounding them.
        const QString exact = QString::number(std::abs(value), 'e', 16);
        scientific = exact.left(kSignificant + 1) + exact.mid(exact.indexOf(u'e'));
    }
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
    const auto bytes = numberText(text);
    if (!bytes) {
        return std::nullopt;
    }
    const char* first = bytes->data();
    const char* last = first + bytes->size();
    if (!(std::isdigit(static_cast<unsigned char>(*first)) || *first == '-' || *first == '.')) {
        return std::nullopt;  // from_chars would take "inf" and "nan"
    }
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error != std::errc() || end != last || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> ParseInteger(QStringView text) {
    const auto bytes = numberText(text);
    if (!bytes) {
        return std::nullopt;
    }
    const char* last = bytes->data() + bytes->size();
    int value = 0;
    const auto [end, error] = std::from_chars(bytes->data(), last, value, 10);
    if (error != std::errc() || end != last) {
        return std::nullopt;
    }
    return value;
}
