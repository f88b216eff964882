#include "ProjectChecks.h"

#include "FuzzSupport.h"
#include "project/ProjectFile.h"

namespace {

ProjectState readBack(const QByteArray& text) {
    const QString path = WriteScratchFile(QStringLiteral("saved.Corvane"), text);
    ProjectState project;
    QString problem;
    FUZZ_CHECK(ReadProjectFile(path, project, problem),
               "the saved project does not load: " + problem);
    return project;
}

}  // namespace

ProjectState SampleProject() {
    ProjectState project;
    project.ProjectOpen = true;
    project.ProjectFolder = QStringLiteral("/projects/Sample/");
    project.ProjectName = QStringLiteral("Sample");
    project.PanelOriginX = 12.5;
    project.BoardCountX = 2;
    project.CurrentPanelBoard = 2;
    project.Fiducial1SnapName = QStringLiteral("Fid µ");
    project.DualFiducial = true;
    project.Metric = false;
    project.Parts = {PartRec{"R1", "10k 0603", 1.5, -2.25, 90, 1, true},
                     PartRec{"C2", "100n", 7, 8, 0, 0, false}};
    project.CurrentPart = 2;
    FeederRec tray;
    tray.Kind = FeederTray;
    tray.Description = QStringLiteral("QFP tray");
    tray.TrayCountX = 4;
    tray.TrayPickCount = 3;
    project.Feeders = {tray};
    project.CurrentFeeder = 1;
    project.TrayRefillPendingFeeder = 1;
    project.FiducialOffsetX = 0.25;
    return project;
}

void CheckSavesAndReadsBack(const ProjectState& project) {
    const QByteArray text = ProjectFileText(project);
    const QByteArray again = ProjectFileText(readBack(text));
    FUZZ_CHECK(again == text,
               "the saved project reads back as another one: " + FirstDifference(text, again));
}
