#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TFormNozzleOffset;
}
class JogPanelWidget;
class QLineEdit;
struct ProgramContext;

// "Nozzle Offset": measures the nozzle's offset from the down camera on a reference mark, and
// teaches the up-looking camera's position and focus height.
class TFormNozzleOffset : public QDialog {
    Q_OBJECT

public:
    TFormNozzleOffset(ProgramContext& context, QWidget* parent = nullptr);
    ~TFormNozzleOffset() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void connectNozzleRadios();
    void connectButtons();
    void connectEdits();
    // A shown value checked against its range; `store` keeps an accepted typed value.
    void connectEdit(QLineEdit* edit, bool (*inRange)(const ProgramContext&, double),
                     double* store);
    void fill();
    void refreshButtons();
    void afterMove();

    ProgramContext& context_;
    std::unique_ptr<Ui::TFormNozzleOffset> ui_;
    JogPanelWidget* jog_;
    int OldViewSelection = 0;
    bool filling_ = false;
};
