#pragma once

#include <QString>
#include <functional>

struct ProgramContext;

// The main window's project operations. They talk to the person only through ctx.port and
// end with the main window's refreshes (part list, status, buttons) as each one requires.

// Start-up: ProjectsRoot = Documents + "/Corvane Projects/", SystemSettingsFolder = Documents +
// "/Corvane System Settings/", both created with any missing parents. Without an argument,
// Documents is the user's documents folder.
void SetUpProjectFolders(ProgramContext& ctx);
void SetUpProjectFolders(ProgramContext& ctx, const QString& documentsFolder);
// The system settings folder those set up, with its trailing separator; nothing is created.
QString SystemSettingsFolderIn(const QString& documentsFolder);
QString UserSystemSettingsFolder();

// Start-up, after the machine settings are loaded: reopens the last project when its file
// still exists and loads; otherwise starts without a project and forgets the last one.
void ReopenLastProject(ProgramContext& ctx);

// Menu "New Project". `askForName` shows the "Create New Project" window modally (which names
// the project through SetNewProjectName) and returns true when the person pressed OK.
void NewProject(ProgramContext& ctx, const std::function<bool()>& askForName);
// The new project's name and its folder, ProjectsRoot + name + "/".
void SetNewProjectName(ProgramContext& ctx, const QString& name);
// Characters some file system refuses in a folder or file name; the name box ignores them.
bool IsForbiddenInProjectName(QChar c);

// Menu "Open Project": offers to save a modified project, then the Open dialog.
void OpenProject(ProgramContext& ctx);
// The Open dialog alone; true when a project was chosen and loaded. Only without an open
// project.
bool OpenProjectDialog(ProgramContext& ctx);

// Saves the project into its own file (ProjectFolder, ProjectName) and tells a failure
// (ReportSave). True when saved; the project then counts as unmodified.
bool SaveProjectUnderOwnName(ProgramContext& ctx);

// Menu "Save Project": saves under the project's own name.
void SaveCurrentProject(ProgramContext& ctx);
// The Save As dialog and save; true when saved.
bool SaveProjectAs(ProgramContext& ctx);

// Menu "Close Project": offers to save a modified project; once closed, the next start opens
// no project.
void CloseProject(ProgramContext& ctx);

// The main window's close question. Offers to save a modified project (Yes, No, Cancel);
// true when the window may close. The last project is kept, so the next start reopens it.
bool MainWindowMayClose(ProgramContext& ctx);
