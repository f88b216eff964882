#include "app/TFormAbout.h"

#include <QApplication>
#include <QIcon>
#include <QPushButton>
#include <QtGlobal>

#include "CorvaneVersion.h"
#include "ui_TFormAbout.h"

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TFormAbout>()) {
    ui_->setupUi(this);
    const QIcon icon = QApplication::windowIcon();  // none when run from the build
    ui_->LabelIcon->setVisible(!icon.isNull());
    ui_->LabelIcon->setPixmap(icon.pixmap(64, 64));
    QFont title = ui_->LabelName->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    ui_->LabelName->setFont(title);
    ui_->LabelVersion->setText(QString("Version %1").arg(kCorvaneVersion));
    ui_->LabelLicence->setText(
        QString("Free software: you may redistribute and change it under the terms of the "
                "<a href=\"https://www.gnu.org/licenses/gpl-3.0.html\">GNU General Public "
                "License, version 3 or later</a> (%1). It comes with ABSOLUTELY NO WARRANTY.")
            .arg(kCorvaneLicence));
    ui_->LabelQtVersion->setText(
        QString("Qt %1 (built with Qt %2)").arg(qVersion(), QT_VERSION_STR));
    connect(ui_->ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
}

TFormAbout::~TFormAbout() = default;
