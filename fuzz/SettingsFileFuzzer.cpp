// The machine settings store's file (the store's own INI format through QSettings, and
// LoadMachineSettings over it) on any bytes.
#include <QFile>
#include <cstdint>

#include "FuzzSupport.h"
#include "settings/MachineSettingsStore.h"

namespace {

// QSettings keeps what it read of a file until the file's size or time changes, so every input
// and every saved copy gets a file name of its own.
QString freshFileName() {
    static std::uint64_t files = 0;
    return QStringLiteral("settings-%1.ini").arg(++files);
}

MachineSettings loaded(const QString& path, MachineSettings settings = {}) {
    LoadMachineSettings(*OpenMachineSettingsStoreAt(path), settings);
    return settings;
}

// Settings unlike the defaults, for a load to overwrite.
MachineSettings leftovers() {
    MachineSettings settings;
    settings.comPort = 7;
    settings.scale = 3;
    settings.home1X = -1.25;
    settings.cameraUpDeviceName = QStringLiteral("left over");
    settings.nozzleY[7] = 99;
    settings.visionTestMode = true;
    return settings;
}

// The bytes of a fresh store holding `settings`.
QByteArray savedText(const MachineSettings& settings) {
    const QString name = freshFileName();
    const QString path = ScratchFolder() + name;
    FUZZ_CHECK(SaveMachineSettings(*OpenMachineSettingsStoreAt(path), settings),
               "the settings cannot be saved into a new file");
    const QByteArray text = ReadScratchFile(name);
    QFile::remove(path);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = WriteScratchFile(freshFileName(), InputBytes(data, size));
    // Nothing in a file can make the load fail: every setting is the file's or its default.
    const MachineSettings settings = loaded(path);
    FUZZ_CHECK(loaded(path, leftovers()) == settings,
               "a setting keeps what it held before the load");

    // The program saves into the store it loaded from, whatever else the file holds.
    FUZZ_CHECK(SaveMachineSettings(*OpenMachineSettingsStoreAt(path), settings),
               "the settings cannot be saved over the file they came from");
    const QByteArray text = savedText(settings);
    const QByteArray again = savedText(loaded(path));
    FUZZ_CHECK(again == text,
               "the saved settings read back as other settings: " + FirstDifference(text, again));
    QFile::remove(path);
    return 0;
}
