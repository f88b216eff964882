#include "handling/MachineCheck.h"

#include <algorithm>
#include <utility>

#include "context/ProgramContext.h"
#include "handling/MachineCheckFindings.h"

QList<CheckProblem> CheckMachine(const MachineCheckSubject& subject) {
    CheckFindings findings(subject);
    CheckHomeMarks(findings);
    CheckUpCamera(findings);
    CheckNozzleOffset(findings);
    if (subject.project.ProjectOpen) {
        CheckPartList(findings);
        CheckFeeders(findings);
        CheckNozzles(findings);
        CheckBoardHeight(findings);
        CheckPartTravel(findings);
        CheckFiducials(findings);
    } else {
        findings.add(CheckSeverity::Warning, "No project is open: only the machine was checked.",
                     "Open the project to run (File / Open Project).", FixWindow::None);
    }
    QList<CheckProblem> problems = std::move(findings.problems);
    std::stable_sort(problems.begin(), problems.end(),
                     [](const CheckProblem& first, const CheckProblem& second) {
                         return first.severity == CheckSeverity::Blocking &&
                                second.severity == CheckSeverity::Warning;
                     });
    return problems;
}

QList<CheckProblem> CheckMachine(const ProgramContext& context, CheckedBoards boards) {
    return CheckMachine({context.settings, context.project, context.SystemSettingsFolder, boards});
}

bool AnyBlocking(const QList<CheckProblem>& problems) {
    return std::any_of(problems.begin(), problems.end(), [](const CheckProblem& problem) {
        return problem.severity == CheckSeverity::Blocking;
    });
}

QString SeverityName(CheckSeverity severity) {
    return severity == CheckSeverity::Blocking ? "blocking" : "warning";
}

QString FixWindowTitle(FixWindow window) {
    switch (window) {
        case FixWindow::HomeSettings:
            return "Home Settings";
        case FixWindow::NozzleOffset:
            return "Nozzle Offset";
        case FixWindow::NozzleChanger:
            return "Nozzle Changer";
        case FixWindow::Feeders:
            return "Feeders";
        case FixWindow::FiducialSettings:
            return "Fiducial Settings";
        case FixWindow::PanelSettings:
            return "Panel Settings";
        case FixWindow::MainWindow:
            return "Main Window";
        case FixWindow::None:
            break;
    }
    return {};
}
