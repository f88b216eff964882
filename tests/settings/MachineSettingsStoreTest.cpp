#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <string_view>

#include "settings/MachineSettingsFile.h"
#include "settings/MachineSettingsStore.h"
#include "support/FileSizeLimit.h"

namespace {

using namespace std::string_view_literals;

constexpr int kSettingCount = 100;

class MachineSettingsStoreTest : public ::testing::Test {
protected:
    QString storePath(const QString& name = QStringLiteral("Corvane 2.ini")) const {
        return folder_.filePath(name);
    }

    static std::unique_ptr<QSettings> openStore(const QString& path) {
        return OpenMachineSettingsStoreAt(path);
    }

    MachineSettings loadFrom(const QString& path) const {
        MachineSettings settings;
        LoadMachineSettings(*openStore(path), settings);
        return settings;
    }

    static void writeFile(const QString& path, std::string_view contents) {
        QFile file(path);
        ASSERT_TRUE(file.open(QFile::WriteOnly));
        file.write(contents.data(), qint64(contents.size()));
    }

    // What `settings` looks like once written: the text SaveMachineSettings stores under `path`.
    QString savedText(const MachineSettings& settings, const QString& path) const {
        const QString savedStore = storePath(QStringLiteral("saved.ini"));
        QFile::remove(savedStore);
        EXPECT_TRUE(SaveMachineSettings(*openStore(savedStore), settings));
        return openStore(savedStore)->value(path).toString();
    }

    static QByteArray readFile(const QString& path) {
        QFile file(path);
        return file.open(QFile::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder_;
};

// Settings whose texts need care in an INI file: commas, edge spaces, "@", backslashes,
// letters beyond ASCII.
MachineSettings AwkwardSettings() {
    MachineSettings settings;
    settings.jogSpeed = 1234;
    settings.maximumXPosition = 398.5;
    settings.rejectTrayY[4] = -12.25;
    settings.dualYAxis = false;
    settings.cameraUpDeviceName = QStringLiteral("USB Camera, Front");
    settings.cameraUpFormatName = QStringLiteral("@Rect(1 2 3 4)");
    settings.cameraDownDeviceName = QStringLiteral("Kamera S\u00FCd \u00B5Eye; \"HD\"=1");
    settings.cameraDownFormatName = QStringLiteral("C:\\Formats\\640x480");
    settings.lastProjectPath = QStringLiteral(" /home/op/Corvane Projects/Board 7/ ");
    settings.lastProjectName = QStringLiteral("Board 7");
    return settings;
}

TEST_F(MachineSettingsStoreTest, FirstRunLoadsExactlyTheDefaults) {
    // Start from a value in every setting that no default has, so a setting the load skips
    // shows up as a difference.
    const QString distinctStore = storePath(QStringLiteral("distinct.ini"));
    {
        const auto store = openStore(distinctStore);
        const QStringList paths = MachineSettingsWriteOrder();
        for (int i = 0; i < paths.size(); ++i) {
            store->setValue(paths[i], QString::number(1000 + i));
        }
    }
    MachineSettings settings = loadFrom(distinctStore);
    ASSERT_NE(settings, MachineSettings{});
    EXPECT_EQ(settings.comPort, 1000);
    EXPECT_EQ(settings.lastProjectName, QString::number(1000 + kSettingCount - 1));

    LoadMachineSettings(*openStore(storePath()), settings);

    EXPECT_EQ(settings, MachineSettings{});
    EXPECT_FALSE(QFile::exists(storePath())) << "loading must not create the store";
}

TEST_F(MachineSettingsStoreTest, FirstSaveWritesEveryKeyAsText) {
    ASSERT_TRUE(SaveMachineSettings(*openStore(storePath()), MachineSettings{}));

    const auto store = openStore(storePath());
    QStringList keys = store->allKeys();
    EXPECT_EQ(keys.size(), kSettingCount);
    QStringList expectedKeys = MachineSettingsWriteOrder();
    keys.sort();
    expectedKeys.sort();
    EXPECT_EQ(keys, expectedKeys);

    const std::pair<const char*, int> sectionSizes[] = {
        {"CNC Settings", 22},    {"Home Settings", 8},          {"Part Handling Settings", 20},
        {"Camera Settings", 17}, {"Nozzle Offset Settings", 6}, {"Nozzle Changer Settings", 23},
        {"Current Status", 4},
    };
    EXPECT_EQ(store->childGroups().size(), std::size(sectionSizes));
    for (const auto& [section, size] : sectionSizes) {
        store->beginGroup(QString::fromLatin1(section));
        EXPECT_EQ(store->childKeys().size(), size) << section;
        store->endGroup();
    }

    const std::pair<const char*, const char*> values[] = {
        {"CNC Settings/COM Port", "1"},
        {"CNC Settings/Dual Y Axis", "1"},
        {"CNC Settings/Acceleration", "3000000"},
        {"CNC Settings/Scale", "64"},
        {"CNC Settings/Minimum X Position", "-5.0000000000"},
        {"CNC Settings/X Steps Per MM", "78.7401574800"},
        {"CNC Settings/Home Z", "0.0000000000"},
        {"CNC Settings/Controller", "MotrixAPI"},
        {"CNC Settings/LinuxCNC Host", "127.0.0.1"},
        {"CNC Settings/LinuxCNC Port", "5007"},
        {"Home Settings/Home 2 Y", "120.0000000000"},
        {"Part Handling Settings/Pick Delay", "0.1000000000"},
        {"Part Handling Settings/Reject Tray 5 Y", "0.0000000000"},
        {"Camera Settings/Uplooking Cameara View Width in MM", "40.0000000000"},
        {"Camera Settings/Vision Correlation Limit", "0.7000000000"},
        {"Nozzle Changer Settings/Nozzle 8 Y", "0.0000000000"},
        {"Nozzle Changer Settings/Nozzle Changer Enabled", "1"},
        {"Current Status/Vision Test Mode", "0"},
        {"Current Status/Last Project Path", ""},
    };
    for (const auto& [path, text] : values) {
        const QVariant stored = store->value(QString::fromLatin1(path));
        EXPECT_TRUE(stored.isValid()) << path;
        EXPECT_EQ(stored.toString(), QString::fromLatin1(text)) << path;
    }
}

TEST_F(MachineSettingsStoreTest, WritesInTableOrderWithParkBeforeHomeOne) {
    const QStringList order = MachineSettingsWriteOrder();
    ASSERT_EQ(order.size(), kSettingCount);
    EXPECT_EQ(order.front(), QStringLiteral("CNC Settings/COM Port"));
    EXPECT_EQ(order.back(), QStringLiteral("Current Status/Last Project Name"));

    // Each pair must be written one right after the other.
    const std::pair<const char*, const char*> neighbours[] = {
        {"CNC Settings/A Steps Per Rev", "Home Settings/Park X"},
        {"Home Settings/Park X", "Home Settings/Park Y"},
        {"Home Settings/Park Y", "Home Settings/Home 1 X"},
        {"Home Settings/Home 2 Z", "CNC Settings/Home Z"},
        {"CNC Settings/Home Z", "CNC Settings/Controller"},
        {"CNC Settings/LinuxCNC Port", "Part Handling Settings/Place Z Push"},
        {"Part Handling Settings/Slow Place Speed", "Part Handling Settings/Reject Tray 1 X"},
        {"Part Handling Settings/Reject Tray 1 X", "Part Handling Settings/Reject Tray 1 Y"},
        {"Part Handling Settings/Reject Tray 1 Y", "Part Handling Settings/Reject Tray 2 X"},
        {"Part Handling Settings/Reject Tray 5 Y", "Part Handling Settings/Pick Retry Count"},
        {"Nozzle Changer Settings/Nozzle Changer Speed", "Nozzle Changer Settings/Nozzle 1 X"},
        {"Nozzle Changer Settings/Nozzle 8 X", "Nozzle Changer Settings/Nozzle 1 Y"},
        {"Nozzle Changer Settings/Nozzle 8 Y", "Nozzle Changer Settings/Nozzle Changer Enabled"},
    };
    for (const auto& [first, second] : neighbours) {
        const auto position = order.indexOf(QString::fromLatin1(first));
        ASSERT_GE(position, 0) << first;
        EXPECT_EQ(order.value(position + 1), QString::fromLatin1(second)) << first;
    }
}

struct StoredTextCase {
    const char* path;
    const char* stored;
    const char* loadsAs;  // as the value is written back
};

TEST_F(MachineSettingsStoreTest, StoredTextsLoadByTheReadingRules) {
    const StoredTextCase cases[] = {
        {"CNC Settings/Jog Speed", "12.5", "3000"},
        {"CNC Settings/Acceleration", "99999999999", "3000000"},
        {"CNC Settings/COM Port", "", "1"},
        {"Part Handling Settings/Pick Retry Count", " 7 ", "7"},
        {"CNC Settings/Minimum X Position", "abc", "-5.0000000000"},
        {"CNC Settings/Maximum X Position", "1,5", "405.0000000000"},
        {"CNC Settings/Maximum Y Position", "", "350.0000000000"},
        {"CNC Settings/Maximum Z Position", "inf", "35.0000000000"},
        {"Part Handling Settings/Pick Delay", " 2.5 ", "2.5000000000"},
        {"Home Settings/Park X", "-1e1", "-10.0000000000"},
        {"CNC Settings/Dual Y Axis", "2", "1"},
        {"CNC Settings/Dual Y Axis", "0", "0"},
        {"CNC Settings/Dual Y Axis", "x", "1"},
        {"Current Status/Vision Test Mode", "2", "1"},
        {"Current Status/Vision Test Mode", "-1", "1"},
        {"Current Status/Vision Test Mode", "x", "0"},
        {"Current Status/Vision Test Mode", "1.0", "0"},
        {"CNC Settings/Scale", "300", "44"},
        {"Camera Settings/Camera Up Device Name", "USB Camera, Front", "USB Camera, Front"},
        {"Camera Settings/Camera Down Format Name", "@Rect(1 2 3 4)", "@Rect(1 2 3 4)"},
        {"Current Status/Last Project Path", " /home/op/Projects/ ", " /home/op/Projects/ "},
        {"CNC Settings/Controller", "LinuxCNC", "LinuxCNC"},
        {"CNC Settings/LinuxCNC Host", "cnc.local", "cnc.local"},
        {"CNC Settings/LinuxCNC Port", "x", "5007"},
    };
    for (const StoredTextCase& c : cases) {
        const QString path = QString::fromLatin1(c.path);
        QFile::remove(storePath());
        openStore(storePath())->setValue(path, QString::fromLatin1(c.stored));

        const MachineSettings loaded = loadFrom(storePath());

        EXPECT_EQ(savedText(loaded, path), QString::fromLatin1(c.loadsAs))
            << c.path << " stored as \"" << c.stored << '"';
    }
}

TEST_F(MachineSettingsStoreTest, DamagedFileLoadsWhatItCanAndDefaultsTheRest) {
    writeFile(storePath(),
              "\x00\xff\xfegarbage without a section\n"
              "[CNC Settings]\n"
              "COM Port=3\n"
              "Jog Speed=@Rect(1 2 3 4)\n"
              "Start Steps Per Second=@Variant(\x01\x02garbage)\n"
              "Minimum X Position=1,5\n"
              "Maximum X Position=-2.5\n"
              "a line without an equals sign\n"
              "[Camera Settings]\n"
              "Camera Up Device Name=USB Camera, Front\n"
              "[Nozzle Changer Settings\n"
              "[Current Status]\n"
              "Current Nozzle=\"4\"\n"
              "Last Project Name=\"unterminated\n"sv);
    const auto store = openStore(storePath());

    MachineSettings loaded;
    loaded.jogSpeed = 1;
    loaded.minimumXPosition = 1;
    LoadMachineSettings(*store, loaded);

    MachineSettings expected;
    expected.comPort = 3;
    expected.maximumXPosition = -2.5;
    expected.cameraUpDeviceName = QStringLiteral("USB Camera, Front");
    // The file has no quoting: quotes are part of the text, so a quoted "4" is no number.
    expected.lastProjectName = QStringLiteral("\"unterminated");
    EXPECT_EQ(loaded, expected);

    // The damage met while reading is no reason to report a save as failed.
    EXPECT_TRUE(SaveMachineSettings(*store, loaded));
    EXPECT_EQ(loadFrom(storePath()), loaded);
}

TEST_F(MachineSettingsStoreTest, FileShowsThePlainNamesSectionBySection) {
    ASSERT_TRUE(SaveMachineSettings(*openStore(storePath()), MachineSettings{}));

    const QByteArray golden =
        readFile(QStringLiteral(CORVANE_SOURCE_DIR "/tests/settings/golden/Corvane 2.ini"));
    ASSERT_FALSE(golden.isEmpty());
    EXPECT_EQ(readFile(storePath()), golden);
    EXPECT_TRUE(golden.startsWith("[CNC Settings]\r\nCOM Port=1\r\n"));
    EXPECT_TRUE(golden.contains("\r\nMaximum X Position=405.0000000000\r\n"));
    EXPECT_FALSE(golden.contains('%'));
}

TEST_F(MachineSettingsStoreTest, FileOfTheEarlierEscapedFormatLoadsAndIsSavedPlain) {
    const MachineSettings settings = AwkwardSettings();
    {
        // The settings file as QSettings' own INI format writes it.
        QSettings escaped(storePath(), QSettings::IniFormat);
        ASSERT_TRUE(SaveMachineSettings(escaped, settings));
    }
    const QByteArray old = readFile(storePath());
    ASSERT_TRUE(old.contains("[CNC%20Settings]")) << old.toStdString();
    ASSERT_TRUE(old.contains("Jog%20Speed=1234"));

    EXPECT_EQ(loadFrom(storePath()), settings);

    ASSERT_TRUE(SaveMachineSettings(*openStore(storePath()), settings));
    const QByteArray plain = readFile(storePath());
    EXPECT_FALSE(plain.contains("%20"));
    EXPECT_TRUE(plain.contains("[Camera Settings]\r\nCamera Up Device Name=USB Camera, Front\r\n"));
    EXPECT_TRUE(plain.contains("\r\nLast Project Path= /home/op/Corvane Projects/Board 7/ \r\n"));
    EXPECT_EQ(loadFrom(storePath()), settings);
}

TEST_F(MachineSettingsStoreTest, NamesMatchInAnyLetterCase) {
    writeFile(storePath(),
              "[cnc SETTINGS]\r\nmaximum x position=12.5\r\nJOG SPEED=77\r\n"
              "[Current Status]\r\nlast project name=Panel\r\n"sv);
    MachineSettings expected;
    expected.maximumXPosition = 12.5;
    expected.jogSpeed = 77;
    expected.lastProjectName = QStringLiteral("Panel");
    EXPECT_EQ(loadFrom(storePath()), expected);
}

TEST_F(MachineSettingsStoreTest, SaveThatRunsOutOfRoomLeavesTheFileAsItWas) {
    ASSERT_TRUE(SaveMachineSettings(*openStore(storePath()), MachineSettings{}));
    const QByteArray before = readFile(storePath());
    {
        const FileSizeLimit limit(static_cast<rlim_t>(before.size() / 2));
        EXPECT_FALSE(SaveMachineSettings(*openStore(storePath()), AwkwardSettings()));
    }
    EXPECT_EQ(readFile(storePath()), before);
    EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files), QStringList{"Corvane 2.ini"})
        << "no temporary file is left behind";
}

TEST_F(MachineSettingsStoreTest, ScaleKeepsItsLowEightBits) {
    const std::pair<const char*, int> cases[] = {
        {"64", 64}, {"255", 255}, {"256", 0}, {"300", 44}, {"-1", 255},
    };
    for (const auto& [stored, scale] : cases) {
        openStore(storePath())
            ->setValue(QStringLiteral("CNC Settings/Scale"), QString::fromLatin1(stored));
        EXPECT_EQ(loadFrom(storePath()).scale, scale) << stored;
    }
}

TEST_F(MachineSettingsStoreTest, RealsRoundTripThroughTheirText) {
    const std::pair<double, double> cases[] = {
        {78.74015748, 78.74015748}, {-0.1, -0.1},
        {405.25, 405.25},           {1e-10, 1e-10},
        {-7654.321, -7654.321},     {1234.56789012, 1234.56789},  // beyond ten significant digits
    };
    for (const auto& [value, reloaded] : cases) {
        MachineSettings settings;
        settings.xStepsPerMM = value;
        settings.uplookingCameraZ = -value;
        ASSERT_TRUE(SaveMachineSettings(*openStore(storePath()), settings));

        const MachineSettings loaded = loadFrom(storePath());

        EXPECT_EQ(loaded.xStepsPerMM, reloaded) << value;
        EXPECT_EQ(loaded.uplookingCameraZ, -reloaded) << value;
    }
}

TEST_F(MachineSettingsStoreTest, EachRejectTrayAndNozzleHolderHasItsOwnKeys) {
    MachineSettings settings;
    for (std::size_t i = 0; i < settings.rejectTrayX.size(); ++i) {
        settings.rejectTrayX[i] = 10.0 * double(i + 1) + 0.25;
        settings.rejectTrayY[i] = 10.0 * double(i + 1) + 0.5;
    }
    for (std::size_t i = 0; i < settings.nozzleX.size(); ++i) {
        settings.nozzleX[i] = 100.0 * double(i + 1) + 0.25;
        settings.nozzleY[i] = 100.0 * double(i + 1) + 0.5;
    }
    ASSERT_TRUE(SaveMachineSettings(*openStore(storePath()), settings));

    const auto store = openStore(storePath());
    const auto expectStored = [&store](const QString& path, int whole, const char* fraction) {
        EXPECT_EQ(store->value(path).toString(), QStringLiteral("%1.%2").arg(whole).arg(fraction))
            << qPrintable(path);
    };
    for (int tray = 1; tray <= 5; ++tray) {
        const QString key = QStringLiteral("Part Handling Settings/Reject Tray %1 ").arg(tray);
        expectStored(key + u'X', 10 * tray, "2500000000");
        expectStored(key + u'Y', 10 * tray, "5000000000");
    }
    for (int holder = 1; holder <= 8; ++holder) {
        const QString key = QStringLiteral("Nozzle Changer Settings/Nozzle %1 ").arg(holder);
        expectStored(key + u'X', 100 * holder, "2500000000");
        expectStored(key + u'Y', 100 * holder, "5000000000");
    }
    EXPECT_EQ(loadFrom(storePath()), settings);
}

TEST_F(MachineSettingsStoreTest, SaveCurrentStatusWritesOnlyItsTwoKeys) {
    {
        const auto store = openStore(storePath());
        store->setValue(QStringLiteral("CNC Settings/Jog Speed"), QStringLiteral("5"));
        store->setValue(QStringLiteral("Current Status/Current Nozzle"), QStringLiteral("1"));
        store->setValue(QStringLiteral("Current Status/Last Project Name"), QStringLiteral("Old"));
    }
    MachineSettings settings;
    settings.currentNozzle = 3;
    settings.visionTestMode = true;
    settings.jogSpeed = 77;
    settings.lastProjectName = QStringLiteral("New");

    ASSERT_TRUE(SaveCurrentStatus(*openStore(storePath()), settings));

    const auto store = openStore(storePath());
    QStringList keys = store->allKeys();
    keys.sort();
    EXPECT_EQ(keys,
              QStringList({"CNC Settings/Jog Speed", "Current Status/Current Nozzle",
                           "Current Status/Last Project Name", "Current Status/Vision Test Mode"}));
    EXPECT_EQ(store->value("CNC Settings/Jog Speed").toString(), "5");
    EXPECT_EQ(store->value("Current Status/Current Nozzle").toString(), "3");
    EXPECT_EQ(store->value("Current Status/Last Project Name").toString(), "Old");
    EXPECT_EQ(store->value("Current Status/Vision Test Mode").toString(), "1");
}

// Places where no store file can be written, whatever the user's rights.
TEST_F(MachineSettingsStoreTest, UnwritableStoreFailsAndKeepsEverything) {
    writeFile(storePath(QStringLiteral("a file")), "not a folder");
    ASSERT_TRUE(QDir(folder_.path()).mkdir(QStringLiteral("a folder.ini")));
    const QString unwritable[] = {
        storePath(QStringLiteral("a file/Corvane 2.ini")),
        storePath(QStringLiteral("a folder.ini")),
    };
    MachineSettings settings;
    settings.jogSpeed = 1234;
    settings.currentNozzle = 5;
    const MachineSettings before = settings;
    for (const QString& path : unwritable) {
        const auto store = openStore(path);

        EXPECT_FALSE(SaveMachineSettings(*store, settings)) << qPrintable(path);
        EXPECT_FALSE(SaveCurrentStatus(*store, settings)) << qPrintable(path);

        EXPECT_EQ(settings, before);
        EXPECT_TRUE(store->allKeys().isEmpty()) << "the store holds values it never saved";
    }
}

bool PermissionsBindThisUser(const QString& folder) {
    const QString probe = folder + QStringLiteral("/probe");
    QFile file(probe);
    file.open(QFile::WriteOnly);
    file.close();
    file.setPermissions(QFile::ReadOwner);
    const bool bound = !file.open(QFile::WriteOnly | QFile::Append);
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    file.remove();
    return bound;
}

TEST_F(MachineSettingsStoreTest, ReadOnlyStoreFailsAndLeavesTheFileAsItWas) {
    if (!PermissionsBindThisUser(folder_.path())) {
        GTEST_SKIP() << "file permissions do not bind this user (root)";
    }
    const QString readOnlyFolder = storePath(QStringLiteral("read-only folder"));
    ASSERT_TRUE(QDir().mkpath(readOnlyFolder));
    const QString cases[] = {storePath(), readOnlyFolder + QStringLiteral("/Corvane 2.ini")};
    const auto stored = "[CNC Settings]\nJog Speed=5\n"sv;
    for (const QString& path : cases) {
        writeFile(path, stored);
    }
    QFile(storePath()).setPermissions(QFile::ReadOwner);
    QFile(readOnlyFolder).setPermissions(QFile::ReadOwner | QFile::ExeOwner);

    MachineSettings settings;
    settings.jogSpeed = 1234;
    for (const QString& path : cases) {
        EXPECT_FALSE(SaveMachineSettings(*openStore(path), settings)) << qPrintable(path);
        QFile file(path);
        ASSERT_TRUE(file.open(QFile::ReadOnly));
        EXPECT_EQ(file.readAll().toStdString(), stored) << qPrintable(path);
    }
    QFile(readOnlyFolder).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(MachineSettingsStoreTest, OpenedStoreIsTheUsersVelmoraIniFile) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
    MachineSettings settings;
    settings.lastProjectName = QStringLiteral("Panel A");
    settings.pickDelay = 0.3;

    const auto store = OpenMachineSettingsStore();
    ASSERT_TRUE(SaveMachineSettings(*store, settings));

    EXPECT_EQ(store->format(), MachineSettingsFileFormat());
    EXPECT_EQ(store->fileName(),
              folder_.filePath(QStringLiteral("Velmora Electronics/Corvane 2.ini")));
    EXPECT_TRUE(QFile::exists(store->fileName()));
    MachineSettings reloaded;
    LoadMachineSettings(*OpenMachineSettingsStore(), reloaded);
    EXPECT_EQ(reloaded, settings);
}

}  // namespace
