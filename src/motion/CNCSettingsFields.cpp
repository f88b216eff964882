#include "motion/CNCSettingsFields.h"

#include "context/ProgramContext.h"
#include "motion/Travel.h"
#include "settings/NumberText.h"

namespace {

using M = MachineSettings;

// The pick and place divide a place speed by 10; below that the controller would be sent 0.
constexpr int kLowestPlaceSpeed = 10;

bool within(double value, double lowest, double highest) {
    return value >= lowest && value <= highest;
}

bool between(double value, double lowerBound, double upperBound) {
    return value > lowerBound && value < upperBound;
}

// A soft limit must stay on its side of the other limit of the axis, or every move would be
// clamped and fail.
bool minimumLimit(double value, double maximum) {
    return between(value, -100, 2000) && value < maximum;
}

bool maximumLimit(double value, double minimum) {
    return between(value, 0, 2000) && value > minimum;
}

bool delay(double value) {
    return between(value, 0, 2);
}

bool placeSpeed(const M& s, double value) {
    return within(value, kLowestPlaceSpeed, s.maxStepsPerSecond);
}

#define FIELD(name, decimals, resets, member, rule)                                               \
    CNCSettingField {                                                                             \
        name, decimals, resets, [](const M& s) { return double(s.member); }, [](M& s, double v) { \
            [[maybe_unused]] const M& c = s;                                                      \
            if (!(rule)) {                                                                        \
                return false;                                                                     \
            }                                                                                     \
            s.member = static_cast<decltype(s.member)>(v);                                        \
            return true;                                                                          \
        }                                                                                         \
    }

const std::vector<CNCSettingField> kFields = {
    FIELD("EditCNCComPort", -1, true, comPort, within(v, 1, 255)),
    FIELD("EditCNCAcceleration", -1, true, acceleration, within(v, 1001, 99999999)),
    FIELD("EditCNCMaxStepsPerSecond", -1, true, maxStepsPerSecond, within(v, 401, 999999)),
    FIELD("EditCNCStartStepsPerSecond", -1, true, startStepsPerSecond, within(v, 101, 999999)),
    FIELD("EditCNCScale", -1, true, scale, within(v, 1, 255)),
    FIELD("EditJogSpeed", -1, false, jogSpeed, within(v, 101, 999999)),
    FIELD("EditMinimumX", 3, false, minimumXPosition, minimumLimit(v, c.maximumXPosition)),
    FIELD("EditMaximumX", 3, false, maximumXPosition, maximumLimit(v, c.minimumXPosition)),
    FIELD("EditMinimumY", 3, false, minimumYPosition, minimumLimit(v, c.maximumYPosition)),
    FIELD("EditMaximumY", 3, false, maximumYPosition, maximumLimit(v, c.minimumYPosition)),
    FIELD("EditMinimumZ", 3, false, minimumZPosition, minimumLimit(v, c.maximumZPosition)),
    FIELD("EditMaximumZ", 3, false, maximumZPosition, maximumLimit(v, c.minimumZPosition)),
    FIELD("EditXStepsPerMM", 8, false, xStepsPerMM, between(v, 0, 1000)),
    FIELD("EditYStepsPerMM", 8, false, yStepsPerMM, between(v, 0, 1000)),
    FIELD("EditZStepsPerMM", 8, false, zStepsPerMM, between(v, 0, 1000)),
    FIELD("EditAStepsPerRev", 6, false, aStepsPerRev, between(v, 0, 20000)),
    FIELD("EditHomeZ", 3, false, homeZ, WithinTravel(c, TravelAxis::Z, v)),
    FIELD("EditPlaceZPush", 3, false, placeZPush, v >= 0 && v < 3),
    FIELD("EditPickDelay", 3, false, pickDelay, delay(v)),
    FIELD("EditPlaceDelay", 3, false, placeDelay, delay(v)),
    FIELD("EditActuatorOnDelay", 3, false, actuatorOnDelay, delay(v)),
    FIELD("EditActuatorOffDelay", 3, false, actuatorOffDelay, delay(v)),
    FIELD("EditBlowDelay", 3, false, blowDelay, delay(v)),
    FIELD("EditFastPlaceSpeed", -1, false, fastPlaceSpeed, placeSpeed(c, v)),
    FIELD("EditMediumPlaceSpeed", -1, false, mediumPlaceSpeed, placeSpeed(c, v)),
    FIELD("EditSlowPlaceSpeed", -1, false, slowPlaceSpeed, placeSpeed(c, v)),
    FIELD("EditPickRetryCount", -1, false, pickRetryCount, within(v, 1, 10)),
};

#undef FIELD

}  // namespace

const std::vector<CNCSettingField>& CNCSettingFields() {
    return kFields;
}

QString CNCSettingText(const MachineSettings& settings, const CNCSettingField& field) {
    const double value = field.read(settings);
    return field.decimals < 0 ? QString::number(static_cast<long long>(value))
                              : FormatFixed(value, field.decimals);
}

bool ApplyCNCSettingEdit(ProgramContext& context, const CNCSettingField& field, QStringView text) {
    std::optional<double> value;
    if (field.decimals < 0) {
        if (const auto integer = ParseInteger(text)) {
            value = *integer;
        }
    } else {
        value = ParseReal(text);
    }
    if (!value || !field.accept(context.settings, *value)) {
        return false;
    }
    if (field.resetsReady) {
        context.cnc.ControllerReady = false;
    }
    return true;
}
