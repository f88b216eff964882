// The simulator's world file (worldFromFile, and the world it builds) on any bytes.
#include <cstring>

#include "FuzzSupport.h"
#include "SimWorld.h"
#include "WorldJson.h"

namespace {

motrix_sim::World readBack(const motrix_sim::World& world) {
    try {
        return motrix_sim::worldFromJson(motrix_sim::worldToJson(world));
    } catch (const motrix_sim::WorldError& error) {
        FuzzFailure("the saved world reads back", QString::fromStdString(error.what()), __FILE__,
                    __LINE__);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = WriteScratchFile(QStringLiteral("input.json"), InputBytes(data, size));
    motrix_sim::World world;
    // Whatever else a damaged file makes the reader throw escapes, and libFuzzer reports it.
    try {
        world = motrix_sim::worldFromFile(path.toStdString());
    } catch (const motrix_sim::WorldError& error) {
        FUZZ_CHECK(std::strlen(error.what()) > 0, "a refused world does not say why");
        return 0;
    }
    FUZZ_CHECK(readBack(world) == world, "the saved world reads back as another one");
    // The world in use: its model and state hold what the counts of the file ask for.
    const motrix_sim::SimWorld inUse(world);
    FUZZ_CHECK(inUse.world() == world, "the world in use is not the one read");
    return 0;
}
