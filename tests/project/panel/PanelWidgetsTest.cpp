// The board and panel groups of the main window and the "Panel Settings" window: what they
// show, the red refusals of the typed counts and spacings, and the window's opening.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "SamplePanel.h"
#include "WidgetTestPort.h"
#include "project/BoardControlsWidget.h"
#include "project/PanelControlsWidget.h"
#include "project/TFormPanelSettings.h"

namespace {

const QColor kRed(255, 0, 0);

bool isRed(const QWidget* box) {
    return box->palette().color(QPalette::Base) == kRed;
}

class PanelWidgets : public ::testing::Test {
protected:
    PanelWidgets() {
        port.context = &context;
        ProjectState& project = context.project;
        UseSamplePanel(project);
        project.BoardCountX = 3;
        project.BoardCountY = 2;
        project.CurrentPanelBoard = 4;
    }

    template <typename T = QLineEdit>
    static T* control(QWidget& window, const char* name) {
        T* found = window.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    VirtualClock clock;
    WidgetTestPort port;
    ProgramContext context{clock, port};
    int saves = 0;
    TFormPanelSettings form{context, [this] { ++saves; }};
};

TEST_F(PanelWidgets, PanelSettingsShowsThePanelAtTheTopRightCorner) {
    ProjectState& project = context.project;
    project.BoardCountX = 0;  // as read from a damaged file
    project.CurrentPanelBoard = 0;
    project.Metric = false;
    project.BoardSpacingY = 25.4;
    context.SelectedCamera = 1;
    form.show();
    EXPECT_EQ(control(form, "EditBoardCountX")->text(), "1");
    EXPECT_EQ(project.BoardCountX, 1);
    EXPECT_EQ(control(form, "EditBoardCountY")->text(), "2");
    EXPECT_EQ(control(form, "EditBoardSpacingX")->text(), "1.9685");
    EXPECT_EQ(control(form, "EditBoardSpacingY")->text(), "1.0000");
    EXPECT_EQ(control(form, "EditCurrentPanelCount")->text(), "1");
    EXPECT_FALSE(project.ProjectModified);  // the window's own fill is no edit
    EXPECT_EQ(context.SelectedCamera, 0);
    // The controller was never found: no moves.
    EXPECT_FALSE(control<QPushButton>(form, "ButtonGoToBoard")->isEnabled());
    EXPECT_FALSE(control<QPushButton>(form, "ButtonGoToNextBoard")->isEnabled());
    const QRect screen = form.screen()->geometry();
    EXPECT_EQ(form.frameGeometry().topRight(), screen.topRight());

    control<QPushButton>(form, "ButtonOk")->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(saves, 1);
}

TEST_F(PanelWidgets, CountBoxesTurnRedOnRefusal) {
    form.show();
    QLineEdit* box = control(form, "EditBoardCountX");
    box->setText("51");
    EXPECT_TRUE(isRed(box));
    EXPECT_EQ(context.project.BoardCountX, 3);
    box->setText("2");
    EXPECT_FALSE(isRed(box));
    EXPECT_EQ(context.project.BoardCountX, 2);
    EXPECT_TRUE(context.project.ProjectModified);

    context.project.ProjectModified = false;
    box->setText("x");
    EXPECT_TRUE(isRed(box));
    EXPECT_EQ(context.project.BoardCountX, 1);
    EXPECT_FALSE(context.project.ProjectModified);
}

TEST_F(PanelWidgets, SpacingBoxesTakeInchesWhenNotMetric) {
    context.project.Metric = false;
    form.show();
    QLineEdit* box = control(form, "EditBoardSpacingY");
    box->setText("19.685");
    EXPECT_FALSE(isRed(box));
    EXPECT_NEAR(context.project.BoardSpacingY, 499.999, 1e-9);
    box->setText("19.7");
    EXPECT_TRUE(isRed(box));
    EXPECT_NEAR(context.project.BoardSpacingY, 499.999, 1e-9);
}

TEST_F(PanelWidgets, PanelResetInTheWindowShowsBoardOne) {
    form.show();
    control<QPushButton>(form, "ButtonPanelReset")->click();
    EXPECT_EQ(context.project.CurrentPanelBoard, 1);
    EXPECT_EQ(control(form, "EditCurrentPanelCount")->text(), "1");
    EXPECT_EQ(port.partListUpdates, 1);
}

TEST_F(PanelWidgets, PanelGroupCountsBoardsAndRunsTheWindowAsTheMainWindowRunsItsWindows) {
    QMainWindow main;
    auto* central = new QWidget(&main);
    main.setCentralWidget(central);
    int runs = 0;
    auto* group = new PanelControlsWidget(
        context,
        [&runs](QDialog& window) {
            ++runs;
            window.exec();
        },
        central);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(group);
    port.panels = {group};
    main.show();

    port.updateStatus();
    EXPECT_EQ(control(*group, "EditCurrentPanelCount")->text(), "4 of 6");
    control<QPushButton>(*group, "ButtonNextBoard")->click();
    EXPECT_EQ(control(*group, "EditCurrentPanelCount")->text(), "5 of 6");
    control<QPushButton>(*group, "ButtonResetPanel")->click();
    EXPECT_EQ(control(*group, "EditCurrentPanelCount")->text(), "1 of 6");

    QTimer::singleShot(0, group, [&] {
        TFormPanelSettings& window = group->panelSettingsWindow();
        ASSERT_TRUE(window.isVisible());
        control<QLineEdit>(window, "EditBoardCountY")->setText("1");
        control<QPushButton>(window, "ButtonOk")->click();
    });
    control<QPushButton>(*group, "ButtonPanelSettings")->click();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(control(*group, "EditCurrentPanelCount")->text(), "1 of 3");
    // The window belongs to the main window, outside the central widget's controls.
    EXPECT_EQ(group->panelSettingsWindow().parent(), &main);
}

TEST_F(PanelWidgets, BoardGroupShowsOriginAndHeightInTheProjectsUnit) {
    BoardControlsWidget group(context);
    port.panels = {&group};
    context.project.BoardHeight = 1.27;
    port.updateStatus();
    EXPECT_EQ(control(group, "EditBoardOriginX")->text(), "100.000");
    EXPECT_EQ(control(group, "EditBoardOriginY")->text(), "60.000");
    EXPECT_EQ(control(group, "EditBoardHeight")->text(), "1.270");
    context.project.Metric = false;
    port.updateStatus();
    EXPECT_EQ(control(group, "EditBoardOriginX")->text(), "3.9370");
    EXPECT_EQ(control(group, "EditBoardOriginY")->text(), "2.3622");
    EXPECT_EQ(control(group, "EditBoardHeight")->text(), "0.0500");
    EXPECT_TRUE(control(group, "EditBoardOriginX")->isReadOnly());

    // The run buttons added later sit in the same group, below the board controls.
    auto* start = new QPushButton("Start Board");
    start->setObjectName("ButtonStartBoard");
    group.runButtonsLayout()->addWidget(start);
    EXPECT_EQ(group.findChild<QPushButton*>("ButtonStartBoard"), start);
}

}  // namespace
