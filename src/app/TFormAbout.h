#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TFormAbout;
}

// Help / About: the program's version, its licence and the Qt it was built with and runs on.
class TFormAbout : public QDialog {
    Q_OBJECT

public:
    explicit TFormAbout(QWidget* parent = nullptr);
    ~TFormAbout() override;

private:
    std::unique_ptr<Ui::TFormAbout> ui_;
};
