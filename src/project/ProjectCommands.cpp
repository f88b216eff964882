#include "project/ProjectCommands.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "context/ProgramContext.h"
#include "context/SaveReport.h"
#include "context/WindowRefresh.h"
#include "project/ProjectFile.h"

namespace {

using Answer = OperatorPort::Answer;

const QString kProjectFileType = QStringLiteral("Corvane Project (*.Corvane)");
const QString kProjectExtension = QStringLiteral(".Corvane");

void emptyPartList(ProjectState& project) {
    project.Parts.clear();
    project.CurrentPart = 0;
}

// A freshly loaded project has no unsaved changes, whatever the one before it had.
void markOpened(ProjectState& project) {
    project.ProjectOpen = true;
    project.ProjectModified = false;
}

// The folder (with a trailing separator) and name of a project file picked in a dialog.
void adoptChosenFile(ProjectState& project, const QString& path) {
    const QFileInfo file(path);
    QString name = file.fileName();
    if (name.endsWith(kProjectExtension, Qt::CaseInsensitive)) {
        name.chop(kProjectExtension.size());
    }
    project.ProjectFolder = file.absolutePath() + u'/';
    project.ProjectName = name;
}

// The question of Open and Close Project. Closes the project unless the person asked for a
// save and it failed; true when the project is closed.
bool offerToSaveAndClose(ProgramContext& ctx, const QString& question) {
    ProjectState& project = ctx.project;
    if (project.ProjectOpen && project.ProjectModified && ctx.port.confirms(question)) {
        const bool saved =
            project.ProjectName.isEmpty() ? SaveProjectAs(ctx) : SaveProjectUnderOwnName(ctx);
        if (!saved) {
            return false;
        }
    }
    project.ProjectOpen = false;
    return true;
}

// Only the project's own folder is created, and it must be new.
bool createNewProjectFolder(ProgramContext& ctx) {
    const QString folder = ctx.project.ProjectFolder;
    if (QFileInfo::exists(folder) || !QDir().mkdir(folder)) {
        ctx.port.showError(QStringLiteral("FOLDER CREATION ERROR!"));
        return false;
    }
    return true;
}

bool createNewProjectFile(ProgramContext& ctx) {
    ProjectState& project = ctx.project;
    const QString folder = project.ProjectFolder;
    const QString name = project.ProjectName;
    if (!CreateEmptyProjectFile(project, ctx.settings, folder, name) ||
        !LoadProject(project, ctx.settings, folder, name)) {
        ctx.port.showError(QStringLiteral("FILE CREATION ERROR!"));
        return false;
    }
    return true;
}

void abandonNewProject(ProjectState& project) {
    project.ProjectName.clear();
    project.ProjectOpen = false;
    project.ProjectModified = false;
    emptyPartList(project);
}

void forgetLastProject(ProgramContext& ctx) {
    ctx.project.ProjectFolder.clear();
    ctx.project.ProjectName.clear();
    ctx.settings.lastProjectPath.clear();
    ctx.settings.lastProjectName.clear();
}

}  // namespace

void SetUpProjectFolders(ProgramContext& ctx) {
    SetUpProjectFolders(ctx, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

QString SystemSettingsFolderIn(const QString& documentsFolder) {
    return QDir::cleanPath(documentsFolder) + QStringLiteral("/Corvane System Settings/");
}

QString UserSystemSettingsFolder() {
    return SystemSettingsFolderIn(
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

void SetUpProjectFolders(ProgramContext& ctx, const QString& documentsFolder) {
    const QString documents = QDir::cleanPath(documentsFolder);
    ctx.ProjectsRoot = documents + QStringLiteral("/Corvane Projects/");
    ctx.SystemSettingsFolder = SystemSettingsFolderIn(documents);
    QDir().mkpath(ctx.ProjectsRoot);
    QDir().mkpath(ctx.SystemSettingsFolder);
}

void ReopenLastProject(ProgramContext& ctx) {
    ProjectState& project = ctx.project;
    project.BoardOriginX = 0;
    project.BoardOriginY = 0;
    project.ProjectOpen = false;
    project.ProjectFolder.clear();
    project.ProjectName.clear();
    const QString folder = ctx.settings.lastProjectPath;
    const QString name = ctx.settings.lastProjectName;
    if (!folder.isEmpty() && !name.isEmpty() && QFileInfo::exists(ProjectFilePath(folder, name)) &&
        LoadProject(project, ctx.settings, folder, name)) {
        markOpened(project);
    } else {
        forgetLastProject(ctx);
    }
    RefreshPartListStatusAndButtons(ctx);
}

void NewProject(ProgramContext& ctx, const std::function<bool()>& askForName) {
    ProjectState& project = ctx.project;
    if (project.ProjectOpen) {
        const QString question = QStringLiteral("Save Changes To Current Project?");
        if (ctx.port.confirms(question) && !SaveProjectAs(ctx)) {
            RefreshPartListStatusAndButtons(ctx);
            return;
        }
        project.ProjectOpen = false;
    }
    if (askForName() && createNewProjectFolder(ctx) && createNewProjectFile(ctx)) {
        markOpened(project);
    } else {
        abandonNewProject(project);
    }
    RefreshPartListStatusAndButtons(ctx);
}

void SetNewProjectName(ProgramContext& ctx, const QString& name) {
    ctx.project.ProjectFolder = ctx.ProjectsRoot + name + u'/';
    ctx.project.ProjectName = name;
}

bool IsForbiddenInProjectName(QChar c) {
    return QStringView(u"/\\*?|\":<>$").contains(c);
}

void OpenProject(ProgramContext& ctx) {
    if (!offerToSaveAndClose(ctx, QStringLiteral("Save Changes To Current Project??"))) {
        RefreshPartListStatusAndButtons(ctx);
        return;
    }
    OpenProjectDialog(ctx);
}

bool OpenProjectDialog(ProgramContext& ctx) {
    ProjectState& project = ctx.project;
    if (project.ProjectOpen) {
        return false;
    }
    const QString path = ctx.port.chooseOpenFile(
        {"Open Project", ctx.ProjectsRoot, kProjectFileType, "Open Project", "Corvane"});
    if (!path.isEmpty()) {
        adoptChosenFile(project, path);
        // A missing file would load as an empty project; where letter case matters, the chosen
        // file need not be the one its name leads to.
        const QString folder = project.ProjectFolder;
        const QString name = project.ProjectName;
        if (QFileInfo::exists(ProjectFilePath(folder, name)) &&
            LoadProject(project, ctx.settings, folder, name)) {
            markOpened(project);
        }
    }
    RefreshPartListStatusAndButtons(ctx);
    return project.ProjectOpen;
}

bool SaveProjectUnderOwnName(ProgramContext& ctx) {
    ProjectState& project = ctx.project;
    const bool saved =
        SaveProject(project, ctx.settings, project.ProjectFolder, project.ProjectName);
    if (!ReportSave(ctx, saved, "PROJECT",
                    ProjectFilePath(project.ProjectFolder, project.ProjectName))) {
        return false;
    }
    project.ProjectModified = false;
    return true;
}

void SaveCurrentProject(ProgramContext& ctx) {
    if (ctx.project.ProjectOpen) {
        SaveProjectUnderOwnName(ctx);
    }
    ctx.port.updateButtons();
}

bool SaveProjectAs(ProgramContext& ctx) {
    ProjectState& project = ctx.project;
    bool saved = false;
    if (project.ProjectOpen) {
        if (project.ProjectFolder.isEmpty()) {
            project.ProjectFolder = ctx.ProjectsRoot;
        }
        // The dialog starts in the project's folder with its name already filled in.
        const QString path =
            ctx.port.chooseSaveFile({"Save Project As", project.ProjectFolder + project.ProjectName,
                                     kProjectFileType, "Save Project", "Corvane"});
        if (!path.isEmpty()) {
            adoptChosenFile(project, path);
            saved = SaveProjectUnderOwnName(ctx);
        }
    }
    ctx.port.updateStatus();
    ctx.port.updateButtons();
    return saved;
}

void CloseProject(ProgramContext& ctx) {
    if (offerToSaveAndClose(ctx, QStringLiteral("Save Changes To Current Project?"))) {
        emptyPartList(ctx.project);
        ctx.settings.lastProjectPath.clear();
        ctx.settings.lastProjectName.clear();
    }
    RefreshPartListStatusAndButtons(ctx);
}

bool MainWindowMayClose(ProgramContext& ctx) {
    ProjectState& project = ctx.project;
    if (project.ProjectOpen && project.ProjectModified) {
        const Answer answer = ctx.port.ask(QStringLiteral("Save Changes to PROJECT?"), true);
        const bool closed =
            answer == Answer::Yes ? SaveProjectUnderOwnName(ctx) : answer == Answer::No;
        project.ProjectOpen = !closed;
    } else {
        project.ProjectOpen = false;
    }
    if (!project.ProjectOpen) {
        emptyPartList(project);
    }
    RefreshPartListStatusAndButtons(ctx);
    return !project.ProjectOpen;
}
