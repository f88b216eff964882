// The part list and "Part Details" group: what a refresh shows, and the operator's edits,
// selections and buttons with their red refusals.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>

#include "WidgetTestPort.h"
#include "project/PartDetailsWidget.h"

namespace {

const QColor kRed(255, 0, 0);

PartRec part(const QString& designator, const QString& comment, int feeder, double x = 0) {
    PartRec rec;
    rec.Designator = designator;
    rec.Comment = comment;
    rec.Feeder = feeder;
    rec.X = x;
    return rec;
}

class PartDetails : public ::testing::Test {
protected:
    PartDetails() {
        port.context = &context;
        port.panels = {&widget};
        context.SystemSettingsFolder = settingsFolder.path() + "/";
        ProjectState& project = context.project;
        project.ProjectOpen = true;
        FeederRec tape;
        tape.Description = "Tape 0805";
        tape.SnapName = "Snap0805";
        tape.Nozzle = 2;
        FeederRec tray;
        tray.SnapName = "NoSuchSnap";
        tray.Nozzle = 1;
        project.Feeders = {tape, tray};
        project.Parts = {part("R1", "10k", 1, 5.08), part("C1", "100n", 2), part("R2", "10K", 0)};
        project.CurrentPart = 1;
    }

    template <typename T = QLineEdit>
    T* control(const char* name) {
        T* found = widget.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QStringList listEntries() {
        const QAbstractItemModel* model = control<QListView>("ListBoxPartList")->model();
        QStringList entries;
        for (int row = 0; row < model->rowCount(); ++row) {
            entries << model->index(row, 0).data().toString();
        }
        return entries;
    }

    int listRow() { return control<QListView>("ListBoxPartList")->currentIndex().row(); }
    QString caption() { return control<QGroupBox>("GroupBoxPartDetails")->title(); }
    static bool isRed(const QWidget* box) { return box->palette().color(QPalette::Base) == kRed; }

    void writeSnap(const QString& name) {
        QImage snap(8, 8, QImage::Format_RGB32);
        snap.fill(Qt::white);
        ASSERT_TRUE(snap.save(context.SystemSettingsFolder + name + ".bmp", "BMP"));
    }

    QTemporaryDir settingsFolder;
    VirtualClock clock;
    WidgetTestPort port;
    ProgramContext context{clock, port};
    PartDetailsWidget widget{context};
};

TEST_F(PartDetails, AnEmptyListShowsNoPartsAndNoFeeder) {
    context.project.Parts.clear();
    context.project.CurrentPart = 1;
    widget.refreshPartList();
    EXPECT_EQ(context.project.CurrentPart, 0);
    EXPECT_EQ(caption(), "Part Details - No Parts");
    EXPECT_TRUE(listEntries().isEmpty());
    EXPECT_TRUE(control("EditPartDesignator")->text().isEmpty());
    EXPECT_TRUE(control("EditPartPositionX")->text().isEmpty());
    EXPECT_TRUE(control<QCheckBox>("CheckBoxPartEnabled")->isChecked());
    auto* feeder = control<QComboBox>("ComboBoxFeeder");
    EXPECT_EQ(feeder->count(), 0);
    EXPECT_EQ(feeder->currentIndex(), -1);
    EXPECT_EQ(feeder->placeholderText(), "** NO FEEDER SELECTED **");
    EXPECT_TRUE(isRed(feeder));
    EXPECT_TRUE(control<QLabel>("ImagePartSnap")->isHidden());
    EXPECT_FALSE(control<QLabel>("ImageNoSnap")->isHidden());

    // Typing into the empty group stores nothing anywhere.
    control("EditPartDesignator")->setText("U1");
    control("EditPartAngle")->setText("10");
    EXPECT_TRUE(context.project.Parts.isEmpty());
    EXPECT_FALSE(context.project.ProjectModified);
}

TEST_F(PartDetails, ARefreshShowsTheCurrentPartWithoutCountingAsAnEdit) {
    context.project.Metric = false;
    context.project.Parts[0].Angle = 90;
    context.project.Parts[1].Enabled = false;
    writeSnap("Snap0805");
    widget.refreshPartList();
    EXPECT_EQ(listEntries(), (QStringList{"Part 1 - R1 - 10k", "Part 2 - DISABLED - C1 - 100n",
                                          "Part 3 - R2 - 10K"}));
    EXPECT_EQ(listRow(), 0);
    EXPECT_EQ(caption(), "Part Details - 1 of 3");
    EXPECT_EQ(control("EditPartDesignator")->text(), "R1");
    EXPECT_EQ(control("EditPartComment")->text(), "10k");
    EXPECT_EQ(control("EditPartPositionX")->text(), "0.2000");
    EXPECT_EQ(control("EditPartPositionY")->text(), "0.0000");
    EXPECT_EQ(control("EditPartAngle")->text(), "90.00");
    auto* feeder = control<QComboBox>("ComboBoxFeeder");
    EXPECT_EQ(feeder->count(), 2);
    EXPECT_EQ(feeder->itemText(0), "1 - Tape 0805");
    EXPECT_EQ(feeder->itemText(1), "2");
    EXPECT_EQ(feeder->currentIndex(), 0);
    EXPECT_FALSE(isRed(feeder));
    EXPECT_FALSE(control<QLabel>("ImagePartSnap")->isHidden());
    EXPECT_TRUE(control<QLabel>("ImageNoSnap")->isHidden());
    EXPECT_FALSE(context.project.ProjectModified);
    EXPECT_TRUE(port.callsStartingWith("ask2: ").isEmpty());
}

TEST_F(PartDetails, ChoosingAListEntryShowsThatPart) {
    widget.refreshPartList();
    auto* list = control<QListView>("ListBoxPartList");
    list->setCurrentIndex(list->model()->index(2, 0));
    EXPECT_EQ(context.project.CurrentPart, 3);
    EXPECT_EQ(caption(), "Part Details - 3 of 3");
    EXPECT_EQ(control("EditPartDesignator")->text(), "R2");
    // No feeder: red box, placeholder picture.
    EXPECT_EQ(control<QComboBox>("ComboBoxFeeder")->currentIndex(), -1);
    EXPECT_TRUE(isRed(control<QComboBox>("ComboBoxFeeder")));
    EXPECT_TRUE(control<QLabel>("ImagePartSnap")->isHidden());

    list->setCurrentIndex(list->model()->index(1, 0));  // feeder 2 has no snap file
    EXPECT_EQ(context.project.CurrentPart, 2);
    EXPECT_TRUE(control<QLabel>("ImagePartSnap")->isHidden());
    EXPECT_FALSE(control<QLabel>("ImageNoSnap")->isHidden());
    EXPECT_FALSE(context.project.ProjectModified);
}

TEST_F(PartDetails, RefusedNumbersTurnRedAndStoreNothing) {
    context.project.Metric = false;
    widget.refreshPartList();
    QLineEdit* angle = control("EditPartAngle");
    angle->setText("360");
    EXPECT_TRUE(isRed(angle));
    EXPECT_EQ(context.project.Parts[0].Angle, 0);
    EXPECT_FALSE(context.project.ProjectModified);
    angle->setText("359.99");
    EXPECT_FALSE(isRed(angle));
    EXPECT_DOUBLE_EQ(context.project.Parts[0].Angle, 359.99);

    QLineEdit* x = control("EditPartPositionX");
    x->setText("1");  // inches
    EXPECT_FALSE(isRed(x));
    EXPECT_DOUBLE_EQ(context.project.Parts[0].X, 25.4);
    x->setText("1a");
    EXPECT_TRUE(isRed(x));
    EXPECT_DOUBLE_EQ(context.project.Parts[0].X, 25.4);

    control("EditPartDesignator")->setText("R100");
    EXPECT_EQ(context.project.Parts[0].Designator, "R100");
    EXPECT_TRUE(context.project.ProjectModified);

    widget.refreshPartList();  // shows the stored value again, on the normal colour
    EXPECT_EQ(x->text(), "1.0000");
    EXPECT_FALSE(isRed(x));
}

TEST_F(PartDetails, ChoosingAFeederCanUpdateEveryPartOfTheSameComment) {
    widget.refreshPartList();
    port.answers = {OperatorPort::Answer::Yes};
    control<QComboBox>("ComboBoxFeeder")->setCurrentIndex(1);
    EXPECT_EQ(port.callsStartingWith("ask2: "), QStringList{"Update ALL Matching Parts?"});
    const QList<PartRec>& parts = context.project.Parts;
    EXPECT_EQ(parts[0].Feeder, 2);
    EXPECT_EQ(parts[1].Feeder, 2);  // already on feeder 2
    EXPECT_EQ(parts[2].Feeder, 2);  // "10K" matches "10k"
    EXPECT_EQ(control<QComboBox>("ComboBoxFeeder")->currentIndex(), 1);
    EXPECT_TRUE(context.project.ProjectModified);
}

TEST_F(PartDetails, EnabledBoxMarksThePartInTheList) {
    widget.refreshPartList();
    control<QCheckBox>("CheckBoxPartEnabled")->click();
    EXPECT_FALSE(context.project.Parts[0].Enabled);
    EXPECT_EQ(listEntries().front(), "Part 1 - DISABLED - R1 - 10k");
    EXPECT_TRUE(context.project.ProjectModified);
}

TEST_F(PartDetails, ButtonsAddDeleteAndSortParts) {
    widget.refreshPartList();
    control<QPushButton>("ButtonSortParts")->click();  // nozzle 1 (C1), nozzle 2 (R1), none
    EXPECT_EQ(listEntries(),
              (QStringList{"Part 1 - C1 - 100n", "Part 2 - R1 - 10k", "Part 3 - R2 - 10K"}));
    EXPECT_EQ(listRow(), 0);

    control<QPushButton>("ButtonAddPart")->click();
    EXPECT_EQ(caption(), "Part Details - 4 of 4");
    EXPECT_EQ(listRow(), 3);

    port.answers = {OperatorPort::Answer::Yes, OperatorPort::Answer::Yes};
    control<QPushButton>("ButtonDeletePart")->click();
    EXPECT_EQ(caption(), "Part Details - 3 of 3");
    control<QPushButton>("ButtonDeletePart")->click();
    EXPECT_EQ(caption(), "Part Details - 2 of 2");
    EXPECT_EQ(control("EditPartDesignator")->text(), "R1");
    EXPECT_EQ(listRow(), 1);
}

}  // namespace
