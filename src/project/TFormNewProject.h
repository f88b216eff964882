#pragma once

#include <QDialog>
#include <memory>

struct ProgramContext;

namespace Ui {
class TFormNewProject;
}

// "Create New Project": asks for the name of a new project, which is also the name of the
// folder made for it under ProjectsRoot. Shown modally by the New Project command.
class TFormNewProject : public QDialog {
    Q_OBJECT

public:
    explicit TFormNewProject(ProgramContext& ctx, QWidget* parent = nullptr);
    ~TFormNewProject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void EditProjectNameChange(const QString& text);

    std::unique_ptr<Ui::TFormNewProject> ui_;
    ProgramContext& ctx_;
};
