#pragma once

#include <QList>
#include <QString>

struct MachineSettings;
struct ProgramContext;
struct ProjectState;

// The machine check: what would make a run of the project fail or go wrong on this machine,
// found from the settings, the project and the snaps before anything moves: an untaught home
// snap, up camera or nozzle offset, a feeder or a part that cannot be reached, a missing snap,
// a nozzle the changer cannot give, a board height beyond the Z travel. Positions are checked
// against the travel from the taught home ("Home 1 X"/"Home 1 Y"), which the camera corrects
// by a fraction of a millimetre only.

// Blocking: the run would fail, or place parts where they do not belong. Warning: the run goes
// on, but something is probably not what the operator meant.
enum class CheckSeverity { Blocking, Warning };

// Where a problem is mended: a settings window, the feeders window on its feeder, the fiducial
// window, or the main window's part list and board controls (MainWindow).
enum class FixWindow {
    None,
    HomeSettings,
    NozzleOffset,
    NozzleChanger,
    Feeders,
    FiducialSettings,
    PanelSettings,
    MainWindow,
};

struct CheckProblem {
    CheckSeverity severity = CheckSeverity::Blocking;
    QString what;  // what is wrong, in a sentence
    QString fix;   // how to mend it
    FixWindow window = FixWindow::None;
    int feeder = 0;  // the feeder it concerns (1-based), 0 for none
    int part = 0;    // the part it concerns (1-based), 0 for none
    QString file;    // the snap it concerns, empty for none

    bool operator==(const CheckProblem&) const = default;
};

// The boards whose parts and fiducials are checked against the travel: the current board
// (Start Board) or every board of the panel.
enum class CheckedBoards { Current, Panel };

struct MachineCheckSubject {
    const MachineSettings& settings;
    const ProjectState& project;   // when not open, only the machine is checked
    QString systemSettingsFolder;  // feeder and home-mark snaps, with a trailing separator
    CheckedBoards boards = CheckedBoards::Panel;
};

// Every problem found, the blocking ones first; each kind in the order machine, parts, feeders,
// nozzles, board, fiducials.
// Only enabled parts and the feeders they take parts from count: the run skips the others.
QList<CheckProblem> CheckMachine(const MachineCheckSubject& subject);
// The same on the program's own settings, project and system settings folder.
QList<CheckProblem> CheckMachine(const ProgramContext& context, CheckedBoards boards);

bool AnyBlocking(const QList<CheckProblem>& problems);

// "blocking" or "warning".
QString SeverityName(CheckSeverity severity);
// The caption of the window that mends a problem ("Home Settings", "Feeders", ...); empty for
// None.
QString FixWindowTitle(FixWindow window);
