#include "settings/MachineSettingsStore.h"

#include <QVariant>
#include <algorithm>
#include <optional>
#include <variant>
#include <vector>

#include "settings/MachineSettingsFile.h"
#include "settings/NumberText.h"

namespace {

// One element of a position array (reject trays, nozzle holders).
template <std::size_t N>
struct ArrayElement {
    std::array<double, N> MachineSettings::*array;
    std::size_t index;
};

// The member type decides how the value is written and read; "Scale" is the one byte.
using SettingMember = std::variant<int MachineSettings::*, bool MachineSettings::*,
                                   std::uint8_t MachineSettings::*, double MachineSettings::*,
                                   QString MachineSettings::*, ArrayElement<5>, ArrayElement<8>>;

struct Setting {
    Setting(const QString& section, const QString& key, SettingMember member)
        : path(section + u'/' + key), member(member) {}

    QString path;  // "Section/Key"
    SettingMember member;
};

using SettingList = std::vector<const Setting*>;

template <typename Settings, typename Value>
auto& Field(Settings& settings, Value MachineSettings::*member) {
    return settings.*member;
}

template <typename Settings, std::size_t N>
auto& Field(Settings& settings, ArrayElement<N> element) {
    return (settings.*element.array)[element.index];
}

constexpr char kCnc[] = "CNC Settings";
constexpr char kHome[] = "Home Settings";
constexpr char kPartHandling[] = "Part Handling Settings";
constexpr char kCamera[] = "Camera Settings";
constexpr char kNozzleOffset[] = "Nozzle Offset Settings";
constexpr char kNozzleChanger[] = "Nozzle Changer Settings";
constexpr char kStatus[] = "Current Status";

using M = MachineSettings;

// "CNC Settings" and "Home Settings", which interleave.
std::vector<Setting> MotionSettings() {
    return {
        {kCnc, "COM Port", &M::comPort},
        {kCnc, "Dual Y Axis", &M::dualYAxis},
        {kCnc, "Visual Home", &M::visualHome},
        {kCnc, "Acceleration", &M::acceleration},
        {kCnc, "Max Steps Per Second", &M::maxStepsPerSecond},
        {kCnc, "Start Steps Per Second", &M::startStepsPerSecond},
        {kCnc, "Scale", &M::scale},
        {kCnc, "Jog Speed", &M::jogSpeed},
        {kCnc, "Minimum X Position", &M::minimumXPosition},
        {kCnc, "Maximum X Position", &M::maximumXPosition},
        {kCnc, "Minimum Y Position", &M::minimumYPosition},
        {kCnc, "Maximum Y Position", &M::maximumYPosition},
        {kCnc, "Minimum Z Position", &M::minimumZPosition},
        {kCnc, "Maximum Z Position", &M::maximumZPosition},
        {kCnc, "X Steps Per MM", &M::xStepsPerMM},
        {kCnc, "Y Steps Per MM", &M::yStepsPerMM},
        {kCnc, "Z Steps Per MM", &M::zStepsPerMM},
        {kCnc, "A Steps Per Rev", &M::aStepsPerRev},
        {kHome, "Home 1 X", &M::home1X},
        {kHome, "Home 1 Y", &M::home1Y},
        {kHome, "Home 1 Z", &M::home1Z},
        {kHome, "Home 2 X", &M::home2X},
        {kHome, "Home 2 Y", &M::home2Y},
        {kHome, "Home 2 Z", &M::home2Z},
        {kCnc, "Home Z", &M::homeZ},
        {kHome, "Park X", &M::parkX},
        {kHome, "Park Y", &M::parkY},
        {kCnc, "Controller", &M::controller},
        {kCnc, "LinuxCNC Host", &M::linuxCncHost},
        {kCnc, "LinuxCNC Port", &M::linuxCncPort},
    };
}

std::vector<Setting> PartHandlingSettings() {
    std::vector<Setting> settings = {
        {kPartHandling, "Place Z Push", &M::placeZPush},
        {kPartHandling, "Pick Delay", &M::pickDelay},
        {kPartHandling, "Place Delay", &M::placeDelay},
        {kPartHandling, "Actuator On Delay", &M::actuatorOnDelay},
        {kPartHandling, "Actuator Off Delay", &M::actuatorOffDelay},
        {kPartHandling, "Blow Delay", &M::blowDelay},
        {kPartHandling, "Fast Place Speed", &M::fastPlaceSpeed},
        {kPartHandling, "Medium Place Speed", &M::mediumPlaceSpeed},
        {kPartHandling, "Slow Place Speed", &M::slowPlaceSpeed},
    };
    for (std::size_t i = 0; i < 5; ++i) {
        const QString tray = QStringLiteral("Reject Tray %1 ").arg(i + 1);
        settings.emplace_back(kPartHandling, tray + u'X', ArrayElement<5>{&M::rejectTrayX, i});
        settings.emplace_back(kPartHandling, tray + u'Y', ArrayElement<5>{&M::rejectTrayY, i});
    }
    settings.emplace_back(kPartHandling, "Pick Retry Count", &M::pickRetryCount);
    return settings;
}

// "Camera Settings" and "Nozzle Offset Settings".
std::vector<Setting> CameraAndNozzleOffsetSettings() {
    return {
        {kCamera, "Camera Up Device Name", &M::cameraUpDeviceName},
        {kCamera, "Camera Up Format Name", &M::cameraUpFormatName},
        {kCamera, "Camera Down Device Name", &M::cameraDownDeviceName},
        {kCamera, "Camera Down Format Name", &M::cameraDownFormatName},
        {kCamera, "Camera Up Device Id", &M::cameraUpDeviceId},
        {kCamera, "Camera Down Device Id", &M::cameraDownDeviceId},
        // "Cameara" is misspelt in every store ever written; the key must stay as it is.
        {kCamera, "Uplooking Cameara View Width in MM", &M::uplookingCameraViewWidthMM},
        {kCamera, "Uplooking Camera Angle Test Limit", &M::uplookingCameraAngleTestLimit},
        {kCamera, "Uplooking Camera Enlargement MM", &M::uplookingCameraEnlargementMM},
        {kCamera, "Uplooking Camera X", &M::uplookingCameraX},
        {kCamera, "Uplooking Camera Y", &M::uplookingCameraY},
        {kCamera, "Uplooking Camera Z", &M::uplookingCameraZ},
        {kCamera, "Uplooking Camera Settling Delay", &M::uplookingCameraSettlingDelay},
        {kCamera, "Downlooking Cameara View Width in MM", &M::downlookingCameraViewWidthMM},
        {kCamera, "Downlooking Camera Settling Delay", &M::downlookingCameraSettlingDelay},
        {kCamera, "Downlooking Camera Enlargement MM", &M::downlookingCameraEnlargementMM},
        {kCamera, "Vision Correlation Limit", &M::visionCorrelationLimit},
        {kNozzleOffset, "Nozzle Offset X", &M::nozzleOffsetX},
        {kNozzleOffset, "Nozzle Offset Y", &M::nozzleOffsetY},
        {kNozzleOffset, "Nozzle Number", &M::nozzleNumber},
        {kNozzleOffset, "Nozzle Calibration X", &M::nozzleCalibrationX},
        {kNozzleOffset, "Nozzle Calibration Y", &M::nozzleCalibrationY},
        {kNozzleOffset, "Nozzle Calibration Z", &M::nozzleCalibrationZ},
    };
}

std::vector<Setting> NozzleChangerSettings() {
    std::vector<Setting> settings = {
        {kNozzleChanger, "Nozzle Horizontal", &M::nozzleHorizontal},
        {kNozzleChanger, "Nozzle Up", &M::nozzleUp},
        {kNozzleChanger, "Nozzle Down", &M::nozzleDown},
        {kNozzleChanger, "Nozzle Pick Down", &M::nozzlePickDown},
        {kNozzleChanger, "Nozzle Changer Speed", &M::nozzleChangerSpeed},
    };
    // All holders' X positions first, then all Y positions.
    for (auto [axis, positions] : {std::pair{u'X', &M::nozzleX}, std::pair{u'Y', &M::nozzleY}}) {
        for (std::size_t i = 0; i < 8; ++i) {
            settings.emplace_back(kNozzleChanger, QStringLiteral("Nozzle %1 ").arg(i + 1) + axis,
                                  ArrayElement<8>{positions, i});
        }
    }
    settings.emplace_back(kNozzleChanger, "Nozzle Changer Enabled", &M::nozzleChangerEnabled);
    settings.emplace_back(kNozzleChanger, "Nozzle Changer Location", &M::nozzleChangerLocation);
    return settings;
}

std::vector<Setting> StatusSettings() {
    return {
        {kStatus, "Current Nozzle", &M::currentNozzle},
        {kStatus, "Vision Test Mode", &M::visionTestMode},
        {kStatus, "Last Project Path", &M::lastProjectPath},
        {kStatus, "Last Project Name", &M::lastProjectName},
    };
}

// Every setting in reading order.
std::vector<Setting> BuildSettingTable() {
    std::vector<Setting> table;
    for (const auto& group :
         {MotionSettings(), PartHandlingSettings(), CameraAndNozzleOffsetSettings(),
          NozzleChangerSettings(), StatusSettings()}) {
        table.insert(table.end(), group.begin(), group.end());
    }
    return table;
}

const std::vector<Setting>& SettingTable() {
    static const std::vector<Setting> table = BuildSettingTable();
    return table;
}

const Setting* FindSetting(const QString& path) {
    const auto& table = SettingTable();
    const auto found = std::ranges::find(table, path, &Setting::path);
    if (found == table.end()) {
        qFatal("No machine setting \"%s\"", qPrintable(path));
    }
    return &*found;
}

// Reading order, except that the park position goes before Home 1 as it always has.
const SettingList& WriteOrder() {
    static const SettingList order = [] {
        SettingList order;
        for (const Setting& setting : SettingTable()) {
            order.push_back(&setting);
        }
        const auto at = [&order](const char* path) {
            return std::ranges::find(order, FindSetting(QString::fromLatin1(path)));
        };
        std::rotate(at("Home Settings/Home 1 X"), at("Home Settings/Park X"),
                    std::next(at("Home Settings/Park Y")));
        return order;
    }();
    return order;
}

// The stored value as text; the settings file holds nothing else.
std::optional<QString> StoredText(const QSettings& store, const QString& path) {
    const QVariant value = store.value(path);
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value.toString();
}

std::optional<int> StoredInteger(const std::optional<QString>& text) {
    return text ? ParseInteger(*text) : std::nullopt;
}

int FromText(const std::optional<QString>& text, int fallback) {
    return StoredInteger(text).value_or(fallback);
}

bool FromText(const std::optional<QString>& text, bool fallback) {
    return StoredInteger(text).value_or(fallback ? 1 : 0) != 0;
}

// The controller takes the scale as a byte, so only the low eight bits of the stored number
// count.
std::uint8_t FromText(const std::optional<QString>& text, std::uint8_t fallback) {
    return static_cast<std::uint8_t>(StoredInteger(text).value_or(fallback) & 0xFF);
}

double FromText(const std::optional<QString>& text, double fallback) {
    return text ? ParseReal(*text).value_or(fallback) : fallback;
}

QString FromText(const std::optional<QString>& text, const QString& fallback) {
    return text.value_or(fallback);
}

QString ToText(int value) {
    return QString::number(value);
}
QString ToText(bool value) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
}
QString ToText(std::uint8_t value) {
    return QString::number(value);
}
QString ToText(double value) {
    return FormatReal(value);
}
QString ToText(const QString& value) {
    return value;
}

bool WriteSettings(QSettings& store, const MachineSettings& settings, const SettingList& list) {
    // Checked up front so that a store we cannot write is not left holding unsaved values.
    if (!store.isWritable()) {
        return false;
    }
    for (const Setting* setting : list) {
        std::visit(
            [&](auto member) { store.setValue(setting->path, ToText(Field(settings, member))); },
            setting->member);
    }
    store.sync();
    // A format error met while reading a damaged file does not make the write fail.
    return store.status() != QSettings::AccessError;
}

}  // namespace

std::unique_ptr<QSettings> OpenMachineSettingsStore() {
    return std::make_unique<QSettings>(MachineSettingsFileFormat(), QSettings::UserScope,
                                       QStringLiteral("Velmora Electronics"),
                                       QStringLiteral("Corvane 2"));
}

std::unique_ptr<QSettings> OpenMachineSettingsStoreAt(const QString& path) {
    return std::make_unique<QSettings>(path, MachineSettingsFileFormat());
}

void LoadMachineSettings(QSettings& store, MachineSettings& settings) {
    static const MachineSettings defaults;
    for (const Setting& setting : SettingTable()) {
        const std::optional<QString> text = StoredText(store, setting.path);
        std::visit(
            [&](auto member) { Field(settings, member) = FromText(text, Field(defaults, member)); },
            setting.member);
    }
}

bool SaveMachineSettings(QSettings& store, const MachineSettings& settings) {
    return WriteSettings(store, settings, WriteOrder());
}

bool SaveCurrentStatus(QSettings& store, const MachineSettings& settings) {
    static const SettingList status = {
        FindSetting(QStringLiteral("Current Status/Current Nozzle")),
        FindSetting(QStringLiteral("Current Status/Vision Test Mode"))};
    return WriteSettings(store, settings, status);
}

QStringList MachineSettingsWriteOrder() {
    QStringList paths;
    for (const Setting* setting : WriteOrder()) {
        paths.append(setting->path);
    }
    return paths;
}
