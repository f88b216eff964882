// The project file reader (ReadProjectFile) on any bytes.
#include "FuzzSupport.h"
#include "ProjectChecks.h"
#include "project/ProjectFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = WriteScratchFile(QStringLiteral("input.Corvane"), InputBytes(data, size));
    const ProjectState before = SampleProject();
    ProjectState project = before;
    QString problem;
    if (!ReadProjectFile(path, project, problem)) {
        FUZZ_CHECK(project == before, "a failed load changed the project");
        FUZZ_CHECK(!problem.isEmpty(), "a failed load does not say why");
        return 0;
    }
    // Every listed item takes at least one line of the file: a count alone allocates nothing.
    FUZZ_CHECK(static_cast<std::size_t>(project.PartCount() + project.FeederCount()) <= size,
               QStringLiteral("%1 parts and %2 feeders from %3 bytes")
                   .arg(project.PartCount())
                   .arg(project.FeederCount())
                   .arg(size));
    CheckSavesAndReadsBack(project);
    return 0;
}
