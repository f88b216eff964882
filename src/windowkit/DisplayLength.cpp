#include "windowkit/DisplayLength.h"

#include "settings/NumberText.h"

QString FormatLength(double mm, bool metric) {
    return metric ? FormatFixed(mm, 3) : FormatFixed(mm / kMmPerInch, 4);
}

std::optional<double> ParseLength(QStringView text, bool metric) {
    const std::optional<double> typed = ParseReal(text);
    if (!typed) {
        return std::nullopt;
    }
    return metric ? *typed : *typed * kMmPerInch;
}
