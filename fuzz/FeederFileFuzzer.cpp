// The feeder file reader (LoadFeederFile) on any bytes.
#include "FuzzSupport.h"
#include "project/FeederFile.h"

namespace {

FeederRec loadSaved(const FeederRec& feeder) {
    FUZZ_CHECK(SaveFeederFile(ScratchFolder(), QStringLiteral("saved"), feeder),
               "the feeder cannot be saved");
    FeederRec saved;
    FUZZ_CHECK(LoadFeederFile(ScratchFolder(), QStringLiteral("saved"), saved),
               "the saved feeder does not load");
    return saved;
}

FeederRec traySample() {
    FeederRec tray;
    tray.Kind = FeederTray;
    tray.Description = QStringLiteral("QFP tray");
    tray.X = 20;
    tray.TrayCountY = 6;
    tray.TrayPickCount = 7;
    return tray;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteScratchFile(QStringLiteral("input.Feeder"), InputBytes(data, size));
    const FeederRec before = traySample();
    FeederRec feeder = before;
    if (!LoadFeederFile(ScratchFolder(), QStringLiteral("input"), feeder)) {
        FUZZ_CHECK(feeder == before, "a failed load changed the feeder");
        return 0;
    }
    FUZZ_CHECK(feeder.TrayPickCount == FeederRec{}.TrayPickCount,
               "an imported tray does not start at its first pocket");
    const QByteArray text = FeederFileText(feeder);
    const QByteArray again = FeederFileText(loadSaved(feeder));
    FUZZ_CHECK(again == text,
               "the saved feeder reads back as another one: " + FirstDifference(text, again));
    return 0;
}
