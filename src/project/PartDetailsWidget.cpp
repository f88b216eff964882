#include "project/PartDetailsWidget.h"

#include <QPainter>

#include "context/ProgramContext.h"
#include "project/PartList.h"
#include "project/PartListModel.h"
#include "project/PartOperations.h"
#include "settings/NumberText.h"
#include "ui_PartDetailsWidget.h"
#include "vision/Capture.h"
#include "windowkit/DisplayLength.h"
#include "windowkit/WindowWidgets.h"

namespace {

const QString kNoFeederText = "** NO FEEDER SELECTED **";

// The placeholder shown where a part's feeder has no snap.
QPixmap noSnapPicture() {
    QPixmap picture(100, 100);
    picture.fill(QColor(64, 64, 64));
    QPainter painter(&picture);
    painter.setPen(QPen(QColor(160, 160, 160), 2));
    painter.drawRect(picture.rect().adjusted(1, 1, -2, -2));
    painter.drawText(picture.rect(), Qt::AlignCenter, "NO SNAP");
    return picture;
}

}  // namespace

PartDetailsWidget::PartDetailsWidget(ProgramContext& context, QWidget* parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::PartDetailsWidget>()),
      context(context),
      partList(new PartListModel(context.project, this)) {
    ui->setupUi(this);
    ui->ImageNoSnap->setPixmap(noSnapPicture());
    ui->ImagePartSnap->hide();
    connectList();
    connectDetails();
    connectButtons();
}

PartDetailsWidget::~PartDetailsWidget() = default;

void PartDetailsWidget::connectList() {
    ui->ListBoxPartList->setModel(partList);
    connect(ui->ListBoxPartList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!filling) {
                    SelectPart(context, current.isValid() ? current.row() : -1);
                }
            });
}

void PartDetailsWidget::onTyped(QLineEdit* box, std::function<void(const QString&)> handle) {
    connect(box, &QLineEdit::textChanged, this, [this, handle](const QString& text) {
        if (!filling) {
            handle(text);
        }
    });
}

void PartDetailsWidget::connectDetails() {
    onTyped(ui->EditPartDesignator,
            [this](const QString& text) { EditPartDesignator(context, text); });
    onTyped(ui->EditPartComment, [this](const QString& text) { EditPartComment(context, text); });
    // The number boxes show whether their text was accepted.
    const auto validated = [this](QLineEdit* box, bool (*store)(ProgramContext&, QStringView)) {
        onTyped(box, [this, box, store](const QString& text) {
            ShowEditVerdict(box, store(context, text));
        });
    };
    validated(ui->EditPartPositionX, &EditPartX);
    validated(ui->EditPartPositionY, &EditPartY);
    validated(ui->EditPartAngle, &EditPartAngle);
    connect(ui->CheckBoxPartEnabled, &QCheckBox::clicked, this, [this](bool checked) {
        if (!filling) {
            SetPartEnabled(context, checked);
        }
    });
    connect(ui->ComboBoxFeeder, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!filling) {
            ChangePartFeeder(context, index + 1);
        }
    });
}

void PartDetailsWidget::connectButtons() {
    const auto onClick = [this](QPushButton* button, auto operation) {
        connect(button, &QPushButton::clicked, this, [this, operation] {
            operation(context);
            FocusPartList();
        });
    };
    onClick(ui->ButtonAddPart, &AddPartAtHead);
    onClick(ui->ButtonDeletePart, &DeletePartAsked);
    onClick(ui->ButtonSortParts, &SortPartList);
    onClick(ui->ButtonSetPartPosition, &SetPartPosition);
    onClick(ui->ButtonGotoPart, &GoToPart);
    onClick(ui->ButtonGotoNextPart, &GoToNextPart);
}

void PartDetailsWidget::refreshPartList() {
    filling = true;
    NormaliseCurrentPart(context.project);
    FillFeederBox();
    partList->refresh();
    ui->GroupBoxPartDetails->setTitle(PartDetailsCaption(context.project));
    if (context.project.PartCount() > 0) {
        FillDetails();
        ShowSnap();
    } else {
        ClearDetails();
    }
    filling = false;
}

void PartDetailsWidget::FillFeederBox() {
    QComboBox* box = ui->ComboBoxFeeder;
    const ProjectState& project = context.project;
    const PartRec* part = CurrentPartRec(project);
    const bool listed = part && project.FeederCount() > 0;
    box->clear();
    if (listed) {
        box->addItems(FeederItems(project));
    }
    const bool chosen = listed && part->Feeder >= 1;
    // A feeder beyond the list selects nothing and shows nothing, on the normal colour.
    box->setPlaceholderText(chosen ? QString() : kNoFeederText);
    box->setCurrentIndex(chosen && part->Feeder <= box->count() ? part->Feeder - 1 : -1);
    ShowEditVerdict(box, chosen);
}

void PartDetailsWidget::FillDetails() {
    const ProjectState& project = context.project;
    const PartRec& part = *CurrentPartRec(project);
    ui->EditPartDesignator->setText(part.Designator);
    ui->EditPartComment->setText(part.Comment);
    ui->EditPartPositionX->setText(FormatLength(part.X, project.Metric));
    ui->EditPartPositionY->setText(FormatLength(part.Y, project.Metric));
    ui->EditPartAngle->setText(FormatFixed(part.Angle, 2));
    ui->CheckBoxPartEnabled->setChecked(part.Enabled);
    for (QLineEdit* box : {ui->EditPartPositionX, ui->EditPartPositionY, ui->EditPartAngle}) {
        ShowEditVerdict(box, true);
    }
    const QModelIndex current = partList->index(project.CurrentPart - 1);
    ui->ListBoxPartList->setCurrentIndex(current);
    ui->ListBoxPartList->scrollTo(current);
}

void PartDetailsWidget::ClearDetails() {
    for (QLineEdit* box : {ui->EditPartDesignator, ui->EditPartComment, ui->EditPartPositionX,
                           ui->EditPartPositionY, ui->EditPartAngle}) {
        box->clear();
        ShowEditVerdict(box, true);
    }
    ui->CheckBoxPartEnabled->setChecked(true);
    ShowNoSnap();
}

void PartDetailsWidget::ShowSnap() {
    // Snaps are written as ".Bmp" but named ".bmp" here: the resolver finds either spelling.
    ShowSnapOrPlaceholder(
        ui->ImagePartSnap, ui->ImageNoSnap,
        ResolveSnapPath(FeederSnapPath(context.project, context.SystemSettingsFolder)));
}

void PartDetailsWidget::ShowNoSnap() {
    ShowSnapOrPlaceholder(ui->ImagePartSnap, ui->ImageNoSnap, QString());
}

void PartDetailsWidget::FocusPartList() {
    ui->ListBoxPartList->setFocus();
}
