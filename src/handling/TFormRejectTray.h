#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TFormRejectTray;
}
class JogPanelWidget;
class QLineEdit;
struct ProgramContext;

// "Reject Tray Settings": teach and visit the five reject-tray positions.
class TFormRejectTray : public QDialog {
    Q_OBJECT

public:
    TFormRejectTray(ProgramContext& context, QWidget* parent = nullptr);
    ~TFormRejectTray() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void connectTray(int tray);
    void fill();
    void updateButtonStates();
    void refreshMain();
    QLineEdit* edit(int tray, char axis) const;
    void EditTrayChange(int tray, char axis);

    ProgramContext& context_;
    std::unique_ptr<Ui::TFormRejectTray> ui_;
    JogPanelWidget* jog_;
    bool filling_ = false;
};
