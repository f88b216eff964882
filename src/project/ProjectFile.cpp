#include "project/ProjectFile.h"

#include <array>

#include "project/FeederFile.h"
#include "project/Fiducials.h"
#include "project/IniFields.h"
#include "project/TextFiles.h"
#include "settings/MachineSettings.h"
#include "settings/TextEncoding.h"

namespace {

const QString kBoardSection = QStringLiteral("Board Settings");
const QString kPartSection = QStringLiteral("Part List");
const QString kPartCountKey = QStringLiteral("Part Count");
const QString kPartWord = QStringLiteral("Part");

constexpr std::array<Field<ProjectState>, 18> kBoardFields{{
    {"Panel Origin X", &ProjectState::PanelOriginX},
    {"Panel Origin Y", &ProjectState::PanelOriginY},
    {"Panel Spacing X", &ProjectState::BoardSpacingX},
    {"Panel Spacing Y", &ProjectState::BoardSpacingY},
    {"Panel Count X", &ProjectState::BoardCountX},
    {"Panel Count Y", &ProjectState::BoardCountY},
    {"Board Height", &ProjectState::BoardHeight},
    {"Board Fiducial 1 Snap Name", &ProjectState::Fiducial1SnapName},
    {"Board Fiducial 1 X", &ProjectState::Fiducial1X},
    {"Board Fiducial 1 Y", &ProjectState::Fiducial1Y},
    {"Board Fiducial 1 Z", &ProjectState::Fiducial1Z},
    {"Board Fiducial 2 Snap Name", &ProjectState::Fiducial2SnapName},
    {"Board Fiducial 2 X", &ProjectState::Fiducial2X},
    {"Board Fiducial 2 Y", &ProjectState::Fiducial2Y},
    {"Board Fiducial 2 Z", &ProjectState::Fiducial2Z},
    {"Dual Fiducial", &ProjectState::DualFiducial},
    {"Fiducial Enable", &ProjectState::FiducialEnable},
    {"Board Metric", &ProjectState::Metric},
}};

constexpr std::array<Field<PartRec>, 7> kPartFields{{
    {" Designator", &PartRec::Designator},
    {" Comment", &PartRec::Comment},
    {" X", &PartRec::X},
    {" Y", &PartRec::Y},
    {" Angle", &PartRec::Angle},
    {" Feeder", &PartRec::Feeder},
    {" Enabled", &PartRec::Enabled},
}};

// Folder and name are copies: callers pass the project's own folder and name.
void rememberAsLastProject(ProjectState& project, MachineSettings& settings, QString folder,
                           QString name) {
    project.ProjectFolder = folder;
    project.ProjectName = name;
    settings.lastProjectPath = folder;
    settings.lastProjectName = name;
}

bool writeProjectFile(const QByteArray& text, ProjectState& project, MachineSettings& settings,
                      const QString& folder, const QString& name) {
    if (!ReplaceFile(ProjectFilePath(folder, name), text, ProjectBackupPath(folder, name))) {
        return false;
    }
    rememberAsLastProject(project, settings, folder, name);
    return true;
}

// All or nothing: a damaged list count leaves `project` untouched.
bool readProjectText(const QString& text, ProjectState& project, QString& problem) {
    const IniDocument document = IniDocument::parse(text);
    auto parts = ReadList<PartRec>(document.section(kPartSection), kPartCountKey, kPartWord,
                                   kPartFields, &problem);
    auto feeders = parts ? ReadFeederListSection(document, &problem) : std::nullopt;
    if (!parts || !feeders) {
        return false;
    }
    ReadFields<ProjectState>(document.section(kBoardSection), kBoardFields, QString(), project);
    project.CurrentPanelBoard = 1;
    project.Parts = std::move(*parts);
    project.CurrentPart = project.Parts.isEmpty() ? 0 : 1;
    project.Feeders = std::move(*feeders);
    project.CurrentFeeder = project.Feeders.isEmpty() ? 0 : 1;
    ClearFiducialCorrection(project);
    project.TrayRefillPendingFeeder = 0;
    return true;
}

}  // namespace

QString ProjectFilePath(const QString& folder, const QString& name) {
    return folder + name + QStringLiteral(".Corvane");
}

QString ProjectBackupPath(const QString& folder, const QString& name) {
    return folder + name + QStringLiteral(".BAK");
}

QList<FileValue> BoardFileValues(const ProjectState& project) {
    return FieldValues<ProjectState>(kBoardFields, project);
}

QList<FileValue> PartFileValues(const PartRec& part) {
    return FieldValues<PartRec>(kPartFields, part);
}

QByteArray ProjectFileText(const ProjectState& project) {
    IniWriter writer;
    writer.section(kBoardSection);
    WriteFields<ProjectState>(writer, kBoardFields, QString(), project);
    writer.section(kPartSection);
    WriteList<PartRec>(writer, kPartCountKey, kPartWord, kPartFields, project.Parts);
    WriteFeederListSection(writer, project.Feeders);
    return EncodeText(writer.text());
}

bool ReadProjectFile(const QString& path, ProjectState& project, QString& problem) {
    QString text;
    if (!ReadTextFile(path, text)) {
        problem = QStringLiteral("cannot read \"%1\"").arg(path);
        return false;
    }
    return readProjectText(text, project, problem);
}

bool LoadProject(ProjectState& project, MachineSettings& settings, const QString& folder,
                 const QString& name) {
    QString problem;
    if (!ReadProjectFile(ProjectFilePath(folder, name), project, problem)) {
        return false;
    }
    rememberAsLastProject(project, settings, folder, name);
    return true;
}

bool SaveProject(ProjectState& project, MachineSettings& settings, const QString& folder,
                 const QString& name) {
    return writeProjectFile(ProjectFileText(project), project, settings, folder, name);
}

bool CreateEmptyProjectFile(ProjectState& project, MachineSettings& settings, const QString& folder,
                            const QString& name) {
    IniWriter writer;
    writer.section(kBoardSection);
    writer.section(kPartSection);
    writer.write(kPartCountKey, 0);
    WriteFeederListSection(writer, {});
    return writeProjectFile(EncodeText(writer.text()), project, settings, folder, name);
}
