#include "handling/TFormFeeders.h"

#include <QMouseEvent>

#include "context/Delay.h"
#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "handling/FeederEdits.h"
#include "handling/Pick.h"
#include "handling/Place.h"
#include "project/FeederList.h"
#include "settings/NumberText.h"
#include "ui_TFormFeeders.h"
#include "vision/Capture.h"
#include "windowkit/JogPanelWidget.h"
#include "windowkit/WindowWidgets.h"

namespace {

constexpr int kSnapPictureSize = 120;  // pixels, the snap scaled down to fit

QString fixed3(double value) {
    return FormatFixed(value, 3);
}

}  // namespace

TFormFeeders::TFormFeeders(ProgramContext& context, SnapCutter cutSystemSnap, QWidget* parent)
    : QDialog(parent),
      context_(context),
      cutSystemSnap_(std::move(cutSystemSnap)),
      ui_(std::make_unique<Ui::TFormFeeders>()) {
    ui_->setupUi(this);
    jog_ = JogPanelWidget::forSettingsWindow(context_, JogPanelWidget::AButtons::TenthDegree, this);
    ui_->LayoutJog->addWidget(jog_);
    ui_->EditFeederSnapName->installEventFilter(this);
    connectEdits();
    connectChoices();
    connectButtons();
    connect(ui_->ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
}

TFormFeeders::~TFormFeeders() = default;

void TFormFeeders::connectEdits() {
    const std::pair<QLineEdit*, FeederField> fields[] = {
        {ui_->EditFeederPositionX, FeederField::X},
        {ui_->EditFeederPositionY, FeederField::Y},
        {ui_->EditFeederPositionZ, FeederField::Z},
        {ui_->EditPartHeight, FeederField::PartHeight},
        {ui_->EditTraySpacingX, FeederField::TraySpacingX},
        {ui_->EditTraySpacingY, FeederField::TraySpacingY}};
    for (const auto& [box, field] : fields) {
        connect(box, &QLineEdit::textEdited, this, [this, box, field] {
            ShowEditVerdict(box, EditFeederField(context_, field, box->text()));
        });
    }
    for (const bool alongX : {true, false}) {
        QLineEdit* box = alongX ? ui_->EditTrayCountX : ui_->EditTrayCountY;
        connect(box, &QLineEdit::textEdited, this, [this, box, alongX] {
            ShowEditVerdict(box, EditTrayCount(context_, alongX, box->text()));
            setText(ui_->EditTrayPickCount,
                    TrayPickText(context_.project, context_.project.CurrentFeeder));
        });
    }
    connect(ui_->EditFeederDescription, &QLineEdit::textEdited, this, [this](const QString& text) {
        ProjectState& project = context_.project;
        if (FeederRec* feeder = FeederAt(project, project.CurrentFeeder)) {
            feeder->Description = text;
            project.ProjectModified = true;
            const QStringList lines = FeederListLines(project);
            ui_->ListBoxFeederList->item(project.CurrentFeeder - 1)
                ->setText(lines[project.CurrentFeeder - 1]);
        }
    });
}

void TFormFeeders::connectChoices() {
    const auto onChoice = [this](QAbstractButton* button, auto store) {
        connect(button, &QAbstractButton::toggled, this, [this, store](bool checked) {
            ProjectState& project = context_.project;
            FeederRec* feeder = FeederAt(project, project.CurrentFeeder);
            if (filling_ || !checked || !feeder) {
                return;
            }
            store(*feeder);
            project.ProjectModified = true;
            Refresh();
            UpdateWindowButtons();
        });
    };
    for (int kind = 0; kind < 3; ++kind) {
        QAbstractButton* radio =
            std::array<QAbstractButton*, 3>{ui_->RadioButtonKindReel, ui_->RadioButtonKindTray,
                                            ui_->RadioButtonKindVibration}[kind];
        onChoice(radio, [this, kind](FeederRec& feeder) {
            feeder.Kind = kind;
            UpdateFeederLocation(feeder, context_.settings, context_.cnc.HomeOffsetY);
        });
        QAbstractButton* speed = std::array<QAbstractButton*, 3>{
            ui_->RadioButtonFast, ui_->RadioButtonMedium, ui_->RadioButtonSlow}[kind];
        onChoice(speed, [kind](FeederRec& feeder) { feeder.PlaceSpeedType = kind; });
    }
    connect(ui_->CheckBoxUseVision, &QCheckBox::toggled, this, [this](bool checked) {
        ProjectState& project = context_.project;
        FeederRec* feeder = FeederAt(project, project.CurrentFeeder);
        if (!filling_ && feeder) {
            feeder->Use_Vision = checked;
            project.ProjectModified = true;
            Refresh();
            UpdateWindowButtons();
        }
    });
    const auto onIndex = [this](QComboBox* box, int FeederRec::*field) {
        connect(box, &QComboBox::currentIndexChanged, this, [this, field](int index) {
            ProjectState& project = context_.project;
            FeederRec* feeder = FeederAt(project, project.CurrentFeeder);
            if (!filling_ && feeder && index >= 0) {
                feeder->*field = index + 1;
                project.ProjectModified = true;
            }
        });
    };
    onIndex(ui_->ComboBoxNozzle, &FeederRec::Nozzle);
    onIndex(ui_->ComboBoxRejectTray, &FeederRec::RejectTray);
    connect(ui_->ListBoxFeederList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!filling_ && row >= 0) {
            context_.project.CurrentFeeder = row + 1;
            Refresh();
            UpdateWindowButtons();
        }
    });
}

void TFormFeeders::onClick(QWidget* button, std::function<void()> operation) {
    connect(static_cast<QPushButton*>(button), &QPushButton::clicked, this,
            [this, operation = std::move(operation)] {
                operation();
                Refresh();
                UpdateWindowButtons();
            });
}

void TFormFeeders::connectButtons() {
    ProgramContext& c = context_;
    onClick(ui_->ButtonAddFeeder, [&c] {
        AddFeeder(c.project);
        c.port.showInformation("Please select the CORRECT FEEDER TYPE!");
    });
    connect(ui_->ButtonDeleteFeeder, &QPushButton::clicked, this,
            &TFormFeeders::ButtonDeleteFeederClick);
    onClick(ui_->ButtonSetFeederPosition, [&c] { SetFeederPositionHere(c); });
    onClick(ui_->ButtonSetNozzleHeight, [&c] { SetFeederHeightHere(c); });
    onClick(ui_->ButtonGotoFeeder, [&c] { GoToFeederCamera(c); });
    onClick(ui_->ButtonGotoNextFeeder, [&c] {
        ProjectState& project = c.project;
        project.CurrentFeeder =
            project.CurrentFeeder >= project.FeederCount() ? 1 : project.CurrentFeeder + 1;
        GoToFeederCamera(c);
    });
    onClick(ui_->ButtonGotoFeederNozzle, [&c] { GoToFeederNozzle(c); });
    onClick(ui_->ButtonPark, [&c] { ParkOverUpCamera(c); });
    onClick(ui_->ButtonTrayAdvance, [&c] {
        AdvanceTray(c.project.Feeders[c.project.CurrentFeeder - 1]);
        c.project.ProjectModified = true;
    });
    onClick(ui_->ButtonTrayReset, [&c] {
        c.project.Feeders[c.project.CurrentFeeder - 1].TrayPickCount = 1;
        c.project.ProjectModified = true;
    });
    onClick(ui_->ButtonResetAllTrays, [&c] {
        if (c.port.confirms("ARE YOU SURE YOU WANT TO RESET ALL TRAYS?")) {
            ResetAllTrays(c.project);
        }
    });
    onClick(ui_->ButtonTestPick,
            [&c] { PickPartWithoutCorrelation(c, c.project.CurrentFeeder, 0); });
    onClick(ui_->ButtonTestVision, [&c] { PickPart(c, c.project.CurrentFeeder, 0); });
    onClick(ui_->ButtonDiscard, [&c] { DiscardPart(c, c.project.CurrentFeeder); });
    onClick(ui_->ButtonSaveFeeder, [&c] { SaveFeederAsked(c); });
    onClick(ui_->ButtonLoadFeeder, [&c] { LoadFeederAsked(c); });
    connect(ui_->ButtonTakeSnap, &QPushButton::clicked, this, &TFormFeeders::ButtonTakeSnapClick);
}

void TFormFeeders::ButtonDeleteFeederClick() {
    ProjectState& project = context_.project;
    if (project.CurrentFeeder < 1) {
        return;
    }
    if (FeederInUse(project, project.CurrentFeeder)) {
        context_.port.showInformation("YOU CANNOT DELETE A FEEDER THAT IS IN USE!");
        return;
    }
    if (context_.port.confirms("ARE YOU SURE YOU WANT TO DELETE THIS FEEDER?")) {
        DeleteFeeder(project, project.CurrentFeeder);
        Refresh();
        context_.port.updatePartList();
        UpdateWindowButtons();
    }
}

void TFormFeeders::ButtonTakeSnapClick() {
    ProjectState& project = context_.project;
    QString name;
    if (project.CurrentFeeder < 1) {
        return;
    }
    if (!CaptureUplooking(context_)) {
        Fail(context_, "CAMERA FAILED");
    } else if (cutSystemSnap_(*context_.vision.ImageUplooking, name)) {
        project.Feeders[project.CurrentFeeder - 1].SnapName = name;
        project.ProjectModified = true;
    }
    Refresh();
}

bool TFormFeeders::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->EditFeederSnapName && event->type() == QEvent::MouseButtonPress) {
        ChooseFeederSnap(context_);
        Refresh();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormFeeders::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PlaceAtTopRight(this);
    Refresh();
    UpdateWindowButtons();
}

void TFormFeeders::setText(QLineEdit* box, const QString& text) {
    box->setText(text);
    ShowEditVerdict(box, true);
}

void TFormFeeders::Refresh() {
    filling_ = true;
    ProjectState& project = context_.project;
    ui_->ListBoxFeederList->clear();
    if (project.FeederCount() == 0) {
        fillEmpty();
    } else {
        project.CurrentFeeder = std::clamp(project.CurrentFeeder, 1, project.FeederCount());
        ui_->ListBoxFeederList->addItems(FeederListLines(project));
        fillCurrent();
        ui_->ListBoxFeederList->setCurrentRow(project.CurrentFeeder - 1);
    }
    filling_ = false;
}

void TFormFeeders::fillEmpty() {
    context_.project.CurrentFeeder = 0;
    ui_->GroupBoxFeederDetails->setTitle("Feeder Details - No Feeders");
    for (QLineEdit* box : {ui_->EditFeederDescription, ui_->EditFeederSnapName}) {
        setText(box, "");
    }
    for (QLineEdit* box :
         {ui_->EditFeederPositionX, ui_->EditFeederPositionY, ui_->EditFeederPositionZ,
          ui_->EditPartHeight, ui_->EditTraySpacingX, ui_->EditTraySpacingY}) {
        setText(box, fixed3(0));
    }
    for (QLineEdit* box : {ui_->EditTrayCountX, ui_->EditTrayCountY, ui_->EditTrayPickCount}) {
        setText(box, "1");
    }
    ui_->ComboBoxNozzle->setCurrentIndex(0);
    ui_->ComboBoxRejectTray->setCurrentIndex(0);
    showSnap(nullptr);
}

void TFormFeeders::fillCurrent() {
    ProjectState& project = context_.project;
    FeederRec& f = project.Feeders[project.CurrentFeeder - 1];
    f.TrayCountX = std::max(f.TrayCountX, 1);
    f.TrayCountY = std::max(f.TrayCountY, 1);
    f.TrayPickCount = std::max(f.TrayPickCount, 1);
    UpdateFeederLocation(f, context_.settings, context_.cnc.HomeOffsetY);
    ui_->GroupBoxFeederDetails->setTitle(
        QString("Feeder Details - %1 of %2").arg(project.CurrentFeeder).arg(project.FeederCount()));
    setText(ui_->EditFeederDescription, f.Description);
    setText(ui_->EditFeederSnapName, f.SnapName);
    setText(ui_->EditFeederPositionX, fixed3(f.X));
    setText(ui_->EditFeederPositionY, fixed3(f.Y));
    setText(ui_->EditFeederPositionZ, fixed3(f.Z));
    setText(ui_->EditPartHeight, fixed3(f.PartHeight));
    setText(ui_->EditTraySpacingX, fixed3(f.TraySpacingX));
    setText(ui_->EditTraySpacingY, fixed3(f.TraySpacingY));
    setText(ui_->EditTrayCountX, QString::number(f.TrayCountX));
    setText(ui_->EditTrayCountY, QString::number(f.TrayCountY));
    setText(ui_->EditTrayPickCount, TrayPickText(project, project.CurrentFeeder));
    ui_->ComboBoxNozzle->setCurrentIndex(f.Nozzle - 1);
    ui_->ComboBoxRejectTray->setCurrentIndex(f.RejectTray - 1);
    const std::array kinds{ui_->RadioButtonKindReel, ui_->RadioButtonKindTray,
                           ui_->RadioButtonKindVibration};
    const std::array speeds{ui_->RadioButtonFast, ui_->RadioButtonMedium, ui_->RadioButtonSlow};
    if (f.Kind >= 0 && f.Kind < 3) {
        kinds[f.Kind]->setChecked(true);
    }
    speeds[f.PlaceSpeedType >= 0 && f.PlaceSpeedType < 3 ? f.PlaceSpeedType : 0]->setChecked(true);
    ui_->CheckBoxUseVision->setChecked(f.Use_Vision);
    showSnap(&f);
}

void TFormFeeders::showSnap(const FeederRec* feeder) {
    const QString path =
        feeder && !feeder->SnapName.isEmpty()
            ? ResolveSnapPath(FeederSnapFile(context_.SystemSettingsFolder, *feeder))
            : QString();
    ShowSnapOrPlaceholder(ui_->ImagePartSnap, ui_->ImageNoSnap, path, kSnapPictureSize);
}

void TFormFeeders::UpdateWindowButtons() {
    const ProjectState& project = context_.project;
    const bool usable = Usable(context_);
    const bool held = context_.cycle.PartOnNozzle;
    const FeederRec* current = FeederAt(project, project.CurrentFeeder);
    const bool tray = current && current->Kind == FeederTray;
    const bool vision = current && current->Use_Vision;
    // A held part would be dropped by the protected moves of the Go and Park buttons.
    for (QWidget* control :
         std::initializer_list<QWidget*>{ui_->ButtonPark, ui_->ButtonGotoFeeder,
                                         ui_->ButtonGotoNextFeeder, ui_->ButtonGotoFeederNozzle}) {
        control->setEnabled(usable && !held);
    }
    jog_->refreshEnabled();
    ui_->ButtonTestPick->setEnabled(!held && usable);
    ui_->ButtonTestVision->setEnabled(vision && !held && usable);
    ui_->ButtonDiscard->setEnabled(held && usable);
    ui_->ButtonTakeSnap->setVisible(static_cast<bool>(cutSystemSnap_));
    ui_->ButtonResetAllTrays->setVisible(project.FeederCount() > 0);
    for (QWidget* control : std::initializer_list<QWidget*>{
             ui_->ButtonTrayReset, ui_->ButtonTrayAdvance, ui_->EditTraySpacingX,
             ui_->EditTraySpacingY, ui_->EditTrayCountX, ui_->EditTrayCountY,
             ui_->EditTrayPickCount, ui_->LabelTraySpacingX, ui_->LabelTraySpacingY,
             ui_->LabelTrayCountX, ui_->LabelTrayCountY, ui_->LabelTrayPickCount}) {
        control->setVisible(tray);
    }
    RefreshStatusAndButtons(context_);
}
