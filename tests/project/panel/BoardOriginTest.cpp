// The panel of boards: board origins, the normalising of the counters, stepping through the
// panel and the typed counts and spacings.
#include "project/BoardOrigin.h"

#include <gtest/gtest.h>

namespace {

ProjectState panel(int countX, int countY, double spacingX, double spacingY) {
    ProjectState project;
    project.PanelOriginX = 100;
    project.PanelOriginY = 20;
    project.BoardCountX = countX;
    project.BoardCountY = countY;
    project.BoardSpacingX = spacingX;
    project.BoardSpacingY = spacingY;
    return project;
}

TEST(BoardOrigin, BoardsAreNumberedRowByRowFromThePanelOrigin) {
    struct Case {
        int countX, countY, board;
        double x, y;
    };
    const Case cases[] = {
        {3, 2, 1, 100, 20}, {3, 2, 2, 150, 20}, {3, 2, 3, 200, 20}, {3, 2, 4, 100, 60},
        {3, 2, 6, 200, 60}, {1, 4, 3, 100, 80},  // one column: boards step along Y only
        {4, 1, 4, 250, 20},                      // one row: along X only
        {1, 1, 1, 100, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.countX << " x " << c.countY << " board " << c.board);
        ProjectState project = panel(c.countX, c.countY, 50, c.countX == 1 ? 30 : 40);
        project.CurrentPanelBoard = c.board;
        RecomputeBoardOrigin(project);
        EXPECT_EQ(project.CurrentPanelBoard, c.board);
        EXPECT_DOUBLE_EQ(project.BoardOriginX, c.x);
        EXPECT_DOUBLE_EQ(project.BoardOriginY, c.y);
    }
}

TEST(BoardOrigin, ABoardOutsideThePanelBecomesBoardOne) {
    struct Case {
        const char* name;
        int countX, countY, board;
        int expectedCountX, expectedCountY;
    };
    const Case cases[] = {
        {"board 0", 3, 2, 0, 3, 2},
        {"negative board", 3, 2, -4, 3, 2},
        {"beyond the last board", 3, 2, 7, 3, 2},
        {"counts shrunk from 3 x 2 to 2 x 2 on board 6", 2, 2, 6, 2, 2},
        {"counts 0 and -3 from a file", 0, -3, 2, 1, 1},
        // Two negative counts have a positive product; the board must still fit a 1 x 1 panel.
        {"both counts negative", -2, -3, 4, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectState project = panel(c.countX, c.countY, 50, 40);
        project.CurrentPanelBoard = c.board;
        RecomputeBoardOrigin(project);
        EXPECT_EQ(project.CurrentPanelBoard, 1);
        EXPECT_EQ(project.BoardCountX, c.expectedCountX);
        EXPECT_EQ(project.BoardCountY, c.expectedCountY);
        EXPECT_DOUBLE_EQ(project.BoardOriginX, 100);
        EXPECT_DOUBLE_EQ(project.BoardOriginY, 20);
    }
}

TEST(BoardOrigin, NextBoardWrapsAfterTheLastAndRestartsThePartList) {
    ProjectState project = panel(2, 2, 50, 40);
    project.Parts = {PartRec{}, PartRec{}, PartRec{}};
    project.CurrentPart = 3;
    project.CurrentPanelBoard = 3;
    AdvancePanelBoard(project);
    EXPECT_EQ(project.CurrentPanelBoard, 4);
    EXPECT_EQ(project.CurrentPart, 1);
    EXPECT_EQ(PanelBoardText(project), "4 of 4");
    AdvancePanelBoard(project);
    EXPECT_EQ(project.CurrentPanelBoard, 1);

    project.CurrentPanelBoard = 3;
    project.Parts.clear();
    project.CurrentPart = 0;
    RewindPanel(project);
    EXPECT_EQ(project.CurrentPanelBoard, 1);
    EXPECT_EQ(project.CurrentPart, 0);  // an empty list keeps no current part
}

TEST(BoardOrigin, TypedCountsAreIntegersFromOneToFifty) {
    struct Case {
        const char* text;
        bool stored;
        int count;
        bool modified;
    };
    // The panel starts with 2 boards along Y: a refused integer keeps them.
    const Case cases[] = {
        {"1", true, 1, true},    {"50", true, 50, true}, {" 7 ", true, 7, true},
        {"51", false, 2, false}, {"0", false, 2, false}, {"-2", false, 2, false},
        {"x", false, 1, false},  {"", false, 1, false},  {"2.5", false, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ProjectState project = panel(3, 2, 50, 40);
        EXPECT_EQ(EditBoardCount(project, PanelAxis::Y, QString(c.text)), c.stored);
        EXPECT_EQ(project.BoardCountY, c.count);
        EXPECT_EQ(project.BoardCountX, 3);
        EXPECT_EQ(project.ProjectModified, c.modified);
    }
}

TEST(BoardOrigin, TypedSpacingsLieWithinFiveHundredMillimetres) {
    struct Case {
        const char* text;
        bool metric;
        bool stored;
        double mm;
    };
    const Case cases[] = {
        {"500", true, true, 500},         {"0", true, true, 0},     {"500.01", true, false, 0},
        {"-0.01", true, false, 0},        {"abc", true, false, 0},  {"1,5", true, false, 0},
        {"19.685", false, true, 499.999}, {"1", false, true, 25.4}, {"19.7", false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ProjectState project = panel(3, 2, 12, 13);
        project.Metric = c.metric;
        EXPECT_EQ(EditBoardSpacing(project, PanelAxis::X, QString(c.text)), c.stored);
        EXPECT_NEAR(project.BoardSpacingX, c.stored ? c.mm : 12, 1e-9);
        EXPECT_EQ(project.BoardSpacingY, 13);
        EXPECT_EQ(project.ProjectModified, c.stored);
    }
}

}  // namespace
