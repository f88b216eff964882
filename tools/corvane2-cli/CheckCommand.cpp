// corvane2-cli check PROJECT.Corvane: the machine check of a project with the settings and snaps
// a run would use, as JSON. Exit 1 when something blocks a run, 0 when nothing does, 2 when the
// project cannot be read.
#include <QFileInfo>
#include <cstdio>

#include "CliCommand.h"
#include "JsonText.h"
#include "RunSources.h"
#include "handling/MachineCheck.h"
#include "project/ProjectCommands.h"
#include "project/ProjectFile.h"
#include "settings/MachineSettings.h"
#include "settings/MachineSettingsStore.h"

namespace {

constexpr const char* kUsage =
    "PROJECT.Corvane   what would make a run of the project fail or go wrong, with the machine "
    "settings and snaps the run would use; JSON out, exit 1 when something blocks a run";

int refuse(const QString& problem) {
    std::fprintf(stderr, "corvane2-cli check: %s\n", qPrintable(problem));
    return 2;
}

QString jsonOrNull(const QString& text) {
    return text.isEmpty() ? QString("null") : JsonText(text);
}

QString problemJson(const CheckProblem& problem, const ProjectState& project) {
    QStringList members{"\"severity\": " + JsonText(SeverityName(problem.severity)),
                        "\"what\": " + JsonText(problem.what), "\"fix\": " + JsonText(problem.fix),
                        "\"window\": " + jsonOrNull(FixWindowTitle(problem.window))};
    if (problem.feeder > 0) {
        members << "\"feeder\": " + QString::number(problem.feeder);
    }
    if (problem.part > 0) {
        members << "\"part\": " + QString::number(problem.part)
                << "\"designator\": " + JsonText(project.Parts[problem.part - 1].Designator);
    }
    if (!problem.file.isEmpty()) {
        members << "\"file\": " + JsonText(problem.file);
    }
    return "    {" + members.join(", ") + "}";
}

QString reportJson(const QString& projectFile, const RunSources& sources,
                   const QList<CheckProblem>& problems, const ProjectState& project) {
    QStringList items;
    for (const CheckProblem& problem : problems) {
        items << problemJson(problem, project);
    }
    const auto count = [&problems](CheckSeverity severity) {
        return QString::number(std::count_if(
            problems.begin(), problems.end(),
            [severity](const CheckProblem& problem) { return problem.severity == severity; }));
    };
    const QStringList members{
        "\"project\": " + JsonText(QFileInfo(projectFile).absoluteFilePath()),
        "\"machine_settings\": " + jsonOrNull(sources.machineSettingsFile),
        "\"system_settings\": " + jsonOrNull(sources.systemSettingsFolder),
        "\"blocking\": " + count(CheckSeverity::Blocking),
        "\"warnings\": " + count(CheckSeverity::Warning),
        "\"problems\": " + (items.isEmpty() ? QString("[]") : "[\n" + items.join(",\n") + "\n  ]")};
    return "{\n  " + members.join(",\n  ") + "\n}\n";
}

int check(const QStringList& arguments) {
    if (arguments.size() != 1 || arguments[0].startsWith("--")) {
        return refuse(
            QString("expected one project file\nusage: corvane2-cli check %1").arg(kUsage));
    }
    const QString projectFile = arguments[0];
    const std::optional<RunSources> sources = FindRunSources(
        projectFile, OpenMachineSettingsStore()->fileName(), UserSystemSettingsFolder());
    if (!sources) {
        return refuse("no project file " + projectFile);
    }
    MachineSettings settings;
    LoadRunMachineSettings(*sources, settings);
    ProjectState project;
    QString problem;
    if (!ReadProjectFile(projectFile, project, problem)) {
        return refuse(problem);
    }
    project.ProjectFolder = sources->projectFolder;
    project.ProjectName = sources->projectName;
    project.ProjectOpen = true;
    const QList<CheckProblem> problems =
        CheckMachine({settings, project, sources->systemSettingsFolder, CheckedBoards::Panel});
    std::fputs(reportJson(projectFile, *sources, problems, project).toUtf8().constData(), stdout);
    return AnyBlocking(problems) ? 1 : 0;
}

const CliRegistration registration({"check", kUsage, check});

}  // namespace
