// The board and panel operations on the simulated machine: teaching the panel origin and the
// board height, and the moves to the current and the next board, checked in the command log.
#include "project/PanelOperations.h"

#include "SamplePanel.h"
#include "project/BoardOrigin.h"
#include "support/MachineFixture.h"

namespace {

class PanelOperations : public MachineFixture {
protected:
    PanelOperations() {
        cnc.HomeOffsetX = 12;
        cnc.HomeOffsetY = 8;
        context.settings.homeZ = 2;
        ProjectState& project = context.project;
        UseSamplePanel(project);
        project.Parts = {PartRec{}, PartRec{}};
        project.CurrentPart = 2;
    }

    void panelOf(int countX, int countY, int board) {
        context.project.BoardCountX = countX;
        context.project.BoardCountY = countY;
        context.project.CurrentPanelBoard = board;
    }

    void headAt(double x, double y, double z) {
        ASSERT_TRUE(cnc.MoveMachine(x, y, z, 0, 65000));
        sim.clearLog();
    }

    // The last move ended at home-relative (x, y, 0) with A 0.
    void expectHeadMovedTo(double x, double y) {
        const std::vector<SimCommand> sent = moves();
        ASSERT_FALSE(sent.empty());
        const auto steps =
            cnc.toSteps(x + cnc.HomeOffsetX, y + cnc.HomeOffsetY, context.settings.homeZ, 0);
        const std::vector<int> target(sent.back().args.begin(), sent.back().args.begin() + 4);
        EXPECT_EQ(target, std::vector<int>(steps.begin(), steps.end()));
    }
};

TEST_F(PanelOperations, SetOriginMakesTheHeadTheOriginOfBoardOneWhicheverBoardIsCurrent) {
    panelOf(3, 1, 3);
    headAt(62, 48, 0);
    port.answers = {OperatorPort::Answer::Yes};
    ASSERT_TRUE(SetPanelOrigin(context));
    const ProjectState& project = context.project;
    EXPECT_DOUBLE_EQ(project.PanelOriginX, 50);
    EXPECT_DOUBLE_EQ(project.PanelOriginY, 40);
    EXPECT_DOUBLE_EQ(project.BoardOriginX, 150);  // board 3: two spacings further
    EXPECT_DOUBLE_EQ(project.BoardOriginY, 40);
    EXPECT_TRUE(project.ProjectModified);
    const QString question = "ARE YOU SURE YOU WANT TO SET THE PANEL ORIGIN?";
    EXPECT_EQ(port.calls, (QStringList{"speak: " + question, "ask2: " + question}));
}

TEST_F(PanelOperations, SetHeightTakesTheHeadHeightAboveHomeZ) {
    headAt(62, 48, 7.5);
    port.answers = {OperatorPort::Answer::Yes};
    ASSERT_TRUE(SetBoardHeight(context));
    EXPECT_DOUBLE_EQ(context.project.BoardHeight, 5.5);
    EXPECT_TRUE(context.project.ProjectModified);
    EXPECT_EQ(port.callsStartingWith("ask2: "),
              QStringList{"ARE YOU SURE YOU WANT TO SET THE BOARD HEIGHT?"});
}

TEST_F(PanelOperations, AnsweringNoChangesNothing) {
    headAt(62, 48, 7.5);
    EXPECT_FALSE(SetPanelOrigin(context));
    EXPECT_FALSE(SetBoardHeight(context));
    EXPECT_DOUBLE_EQ(context.project.PanelOriginX, 100);
    EXPECT_DOUBLE_EQ(context.project.BoardHeight, 0);
    EXPECT_FALSE(context.project.ProjectModified);
}

TEST_F(PanelOperations, GoToBoardLooksAtTheCurrentBoardsOrigin) {
    panelOf(3, 2, 6);
    context.SelectedCamera = 1;
    headAt(30, 30, 4);
    ASSERT_TRUE(GoToBoard(context));
    EXPECT_EQ(context.SelectedCamera, 0);
    expectHeadMovedTo(200, 60);
    EXPECT_EQ(moves().front().args[2], 0);  // raised before travelling
}

TEST_F(PanelOperations, GoToBoardUsesCountsJustEdited) {
    panelOf(3, 2, 6);
    context.project.BoardCountX = 2;  // typed in the Panel Settings window: board 6 is gone
    ASSERT_TRUE(MoveToCurrentBoard(context));
    EXPECT_EQ(context.project.CurrentPanelBoard, 1);
    expectHeadMovedTo(100, 20);
}

TEST_F(PanelOperations, NextAndResetChangeTheBoardWithoutMoving) {
    panelOf(2, 2, 1);
    NextBoard(context);
    EXPECT_EQ(context.project.CurrentPanelBoard, 2);
    EXPECT_EQ(context.project.CurrentPart, 1);
    EXPECT_DOUBLE_EQ(context.project.BoardOriginX, 150);
    EXPECT_EQ(port.partListUpdates, 1);
    context.project.CurrentPart = 2;
    ResetPanel(context);
    EXPECT_EQ(context.project.CurrentPanelBoard, 1);
    EXPECT_EQ(context.project.CurrentPart, 1);
    EXPECT_EQ(port.partListUpdates, 2);
    EXPECT_TRUE(moves().empty());
}

TEST_F(PanelOperations, GoToNextFromTheLastBoardGoesToBoardOne) {
    panelOf(2, 2, 4);
    ASSERT_TRUE(GoToNextBoard(context));
    EXPECT_EQ(context.project.CurrentPanelBoard, 1);
    EXPECT_EQ(context.project.CurrentPart, 1);
    expectHeadMovedTo(100, 20);
}

TEST_F(PanelOperations, AFailedMoveIsReported) {
    cnc.ControllerReady = false;
    EXPECT_FALSE(GoToBoard(context));
    EXPECT_TRUE(moves().empty());
}

}  // namespace
