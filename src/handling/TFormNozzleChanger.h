#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class TFormNozzleChanger;
}
class JogPanelWidget;
class QLineEdit;
struct ProgramContext;

// "Nozzle Changer": the holder positions and the exchange geometry, nozzle exchanges by hand,
// and whether the machine has a changer at all.
class TFormNozzleChanger : public QDialog {
    Q_OBJECT

public:
    TFormNozzleChanger(ProgramContext& context, QWidget* parent = nullptr);
    ~TFormNozzleChanger() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // An edit whose accepted value (a real, or an integer when `integer`) is stored by `store`.
    void connectEdit(QLineEdit* edit, bool integer, std::function<bool(double)> store);
    void connectEdits();
    void connectButtons();
    void fill();
    void refreshButtons();
    void afterExchange();
    void ButtonSetPositionClick();
    void ButtonGotoPositionClick();

    ProgramContext& context_;
    std::unique_ptr<Ui::TFormNozzleChanger> ui_;
    JogPanelWidget* jog_;
    bool filling_ = true;  // nothing typed counts until the first filling is done
};
