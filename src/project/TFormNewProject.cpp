#include "project/TFormNewProject.h"

#include <QSignalBlocker>
#include <QValidator>
#include <algorithm>

#include "context/ProgramContext.h"
#include "project/ProjectCommands.h"
#include "ui_TFormNewProject.h"

namespace {

// Refuses any text holding a forbidden character, so typing or pasting one leaves the box
// as it was.
class ProjectNameValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override {
        return std::ranges::any_of(input, IsForbiddenInProjectName) ? Invalid : Acceptable;
    }
};

}  // namespace

TFormNewProject::TFormNewProject(ProgramContext& ctx, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TFormNewProject>()), ctx_(ctx) {
    ui_->setupUi(this);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    ui_->EditProjectName->setValidator(new ProjectNameValidator(ui_->EditProjectName));
    connect(ui_->EditProjectName, &QLineEdit::textChanged, this,
            &TFormNewProject::EditProjectNameChange);
}

TFormNewProject::~TFormNewProject() = default;

void TFormNewProject::showEvent(QShowEvent* event) {
    // The project keeps its folder and name until the person types.
    {
        const QSignalBlocker quiet(ui_->EditProjectName);
        ui_->EditProjectName->clear();
    }
    ui_->ButtonOk->setEnabled(false);
    ui_->EditProjectName->setFocus();
    QDialog::showEvent(event);
}

void TFormNewProject::EditProjectNameChange(const QString& text) {
    if (!isEnabled()) {
        return;
    }
    SetNewProjectName(ctx_, text);
    ui_->ButtonOk->setEnabled(!text.isEmpty());
}
