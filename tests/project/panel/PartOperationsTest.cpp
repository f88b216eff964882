// The part list operations: the typed details with their unit and limits, and the ones that
// use the machine (teaching a position, visiting parts), checked in the command log.
#include "project/PartOperations.h"

#include "SamplePanel.h"
#include "support/MachineFixture.h"

namespace {

using Answer = OperatorPort::Answer;

PartRec partAt(const QString& designator, double x, double y, const QString& comment = {}) {
    PartRec part;
    part.Designator = designator;
    part.Comment = comment;
    part.X = x;
    part.Y = y;
    return part;
}

// A project on board 4 of a 3 x 2 panel (board origin 100, 60), home offsets (12, 8).
class PartOperations : public MachineFixture {
protected:
    PartOperations() {
        cnc.HomeOffsetX = 12;
        cnc.HomeOffsetY = 8;
        context.settings.homeZ = 2;
        ProjectState& project = context.project;
        UseSamplePanel(project);
        project.BoardCountX = 3;
        project.BoardCountY = 2;
        project.CurrentPanelBoard = 4;
        project.Parts = {partAt("R1", 5, 6), partAt("R2", 15, 16), partAt("R3", 25, 26)};
        project.CurrentPart = 1;
    }

    void headAt(double x, double y) {
        ASSERT_TRUE(cnc.MoveMachine(x, y, 0, 0, 65000));
        sim.clearLog();
    }

    // The last move ended over board-relative (x, y) of the current board, Z and A 0.
    void expectHeadOverBoard(double x, double y) {
        const std::vector<SimCommand> sent = moves();
        ASSERT_FALSE(sent.empty());
        const auto steps = cnc.toSteps(x + 100 + cnc.HomeOffsetX, y + 60 + cnc.HomeOffsetY,
                                       context.settings.homeZ, 0);
        const std::vector<int> target(sent.back().args.begin(), sent.back().args.begin() + 4);
        EXPECT_EQ(target, std::vector<int>(steps.begin(), steps.end()));
    }

    const PartRec& currentPart() const {
        return context.project.Parts[context.project.CurrentPart - 1];
    }
};

TEST_F(PartOperations, GoToPartAddsTheBoardOriginAndTheFiducialOffset) {
    context.project.CurrentPart = 2;
    context.project.FiducialOffsetX = 0.3;
    context.project.FiducialOffsetY = -0.1;
    context.SelectedCamera = 1;
    ASSERT_TRUE(GoToPart(context));
    EXPECT_EQ(context.SelectedCamera, 0);
    expectHeadOverBoard(15.3, 15.9);
}

TEST_F(PartOperations, GoToNextVisitsTheNextPartAndWrapsAfterTheLast) {
    context.project.CurrentPart = 2;
    ASSERT_TRUE(GoToNextPart(context));
    EXPECT_EQ(context.project.CurrentPart, 3);
    expectHeadOverBoard(25, 26);
    ASSERT_TRUE(GoToNextPart(context));
    EXPECT_EQ(context.project.CurrentPart, 1);
    expectHeadOverBoard(5, 6);
    EXPECT_GE(port.partListUpdates, 2);
}

TEST_F(PartOperations, SetPositionPutsThePartUnderTheHead) {
    headAt(12 + 100 + 33.5, 8 + 60 + 44.25);
    context.project.CurrentPart = 3;
    port.answers = {Answer::Yes};
    ASSERT_TRUE(SetPartPosition(context));
    EXPECT_DOUBLE_EQ(currentPart().X, 33.5);
    EXPECT_DOUBLE_EQ(currentPart().Y, 44.25);
    EXPECT_TRUE(context.project.ProjectModified);
    const QString question = "ARE YOU SURE YOU WANT TO SET THE POSITION?";
    EXPECT_EQ(port.calls, (QStringList{"speak: " + question, "ask2: " + question}));
    EXPECT_TRUE(moves().empty());

    // The taught position is where Go To Part goes back to.
    headAt(0, 0);
    ASSERT_TRUE(GoToPart(context));
    expectHeadOverBoard(33.5, 44.25);
}

TEST_F(PartOperations, SetPositionAnsweredNoKeepsThePart) {
    headAt(150, 100);
    EXPECT_FALSE(SetPartPosition(context));
    EXPECT_DOUBLE_EQ(currentPart().X, 5);
    EXPECT_FALSE(context.project.ProjectModified);
}

TEST_F(PartOperations, AddPartPutsANewCurrentPartUnderTheHead) {
    headAt(12 + 100 + 7, 8 + 60 + 9);
    AddPartAtHead(context);
    ASSERT_EQ(context.project.PartCount(), 4);
    EXPECT_EQ(context.project.CurrentPart, 4);
    const PartRec& added = currentPart();
    EXPECT_DOUBLE_EQ(added.X, 7);
    EXPECT_DOUBLE_EQ(added.Y, 9);
    EXPECT_TRUE(added.Designator.isEmpty());
    EXPECT_EQ(added.Feeder, 0);
    EXPECT_TRUE(added.Enabled);
    EXPECT_TRUE(context.project.ProjectModified);
    EXPECT_EQ(context.project.Parts[2].Designator, "R3");
}

TEST_F(PartOperations, DeleteAsksFirst) {
    context.project.CurrentPart = 3;
    EXPECT_FALSE(DeletePartAsked(context));
    EXPECT_EQ(context.project.PartCount(), 3);
    port.answers = {Answer::Yes};
    EXPECT_TRUE(DeletePartAsked(context));
    EXPECT_EQ(context.project.PartCount(), 2);
    EXPECT_EQ(context.project.CurrentPart, 2);
    EXPECT_TRUE(context.project.ProjectModified);
    EXPECT_EQ(port.callsStartingWith("ask2: "),
              QStringList(2, "ARE YOU SURE YOU WANT TO DELETE THIS PART?"));
}

TEST_F(PartOperations, FeederChangeAsksWhetherToUpdateTheMatchingParts) {
    ProjectState& project = context.project;
    project.Parts = {partAt("R1", 0, 0, "10k"), partAt("R2", 0, 0, "10K"),
                     partAt("C1", 0, 0, "100n")};
    ChangePartFeeder(context, 2);
    EXPECT_EQ(port.callsStartingWith("ask2: "), QStringList{"Update ALL Matching Parts?"});
    EXPECT_EQ(project.Parts[0].Feeder, 2);
    EXPECT_EQ(project.Parts[1].Feeder, 0);  // answered No
    EXPECT_TRUE(project.ProjectModified);

    port.answers = {Answer::Yes};
    ChangePartFeeder(context, 3);
    EXPECT_EQ(project.Parts[0].Feeder, 3);
    EXPECT_EQ(project.Parts[1].Feeder, 3);
    EXPECT_EQ(project.Parts[2].Feeder, 0);

    ChangePartFeeder(context, 3);  // the same feeder again: no question
    EXPECT_EQ(port.callsStartingWith("ask2: ").size(), 2);
    EXPECT_EQ(port.partListUpdates, 3);
}

// The detail boxes need no machine: a plain context.
class PartEdits : public ::testing::Test {
protected:
    PartEdits() {
        context.cnc.HomeOffsetX = 10;
        context.cnc.HomeOffsetY = 5;
        context.project.BoardOriginX = 100;
        context.project.BoardOriginY = 50;
        context.project.Parts = {partAt("R1", 1, 2)};
        context.project.CurrentPart = 1;
    }

    VirtualClock clock;
    ScriptedOperatorPort port;
    ProgramContext context{clock, port};
};

TEST_F(PartEdits, PositionsMustPutTheHeadWithinTheSoftLimits) {
    // Machine X = typed + 110 within -5..405, machine Y = typed + 55 within -5..350.
    struct Case {
        bool (*edit)(ProgramContext&, QStringView);
        const char* text;
        bool metric;
        bool stored;
        double mm;
    };
    const Case cases[] = {
        {&EditPartX, "295", true, true, 295},
        {&EditPartX, "295.001", true, false, 1},
        {&EditPartX, "-115", true, true, -115},
        {&EditPartX, "-115.001", true, false, 1},
        {&EditPartX, "1", false, true, 25.4},
        {&EditPartX, "12 mm", true, false, 1},
        {&EditPartY, "295", true, true, 295},
        {&EditPartY, "295.5", true, false, 2},
        {&EditPartY, "-2.3622", false, true, -59.99988},
        {&EditPartY, "", true, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        PartRec& part = context.project.Parts[0];
        part = partAt("R1", 1, 2);
        context.project.ProjectModified = false;
        context.project.Metric = c.metric;
        EXPECT_EQ(c.edit(context, QString(c.text)), c.stored);
        EXPECT_NEAR(c.edit == &EditPartX ? part.X : part.Y, c.mm, 1e-9);
        EXPECT_EQ(context.project.ProjectModified, c.stored);
    }
}

TEST_F(PartEdits, AngleAndTextsAreStoredInTheCurrentPart) {
    EXPECT_FALSE(EditPartAngle(context, u"360"));
    EXPECT_FALSE(context.project.ProjectModified);
    EXPECT_TRUE(EditPartAngle(context, u"-359.99"));
    EXPECT_TRUE(EditPartDesignator(context, "U7"));
    EXPECT_TRUE(EditPartComment(context, "LM358"));
    const PartRec& part = context.project.Parts[0];
    EXPECT_DOUBLE_EQ(part.Angle, -359.99);
    EXPECT_EQ(part.Designator, "U7");
    EXPECT_EQ(part.Comment, "LM358");
    EXPECT_TRUE(context.project.ProjectModified);
}

TEST_F(PartEdits, WithoutPartsNothingIsStored) {
    context.project.Parts.clear();
    context.project.CurrentPart = 0;
    EXPECT_FALSE(EditPartDesignator(context, "U7"));
    EXPECT_FALSE(EditPartX(context, u"1"));
    EXPECT_FALSE(EditPartAngle(context, u"1"));
    SetPartEnabled(context, false);
    ChangePartFeeder(context, 1);
    EXPECT_FALSE(context.project.ProjectModified);
    EXPECT_TRUE(port.callsStartingWith("ask2: ").isEmpty());
    EXPECT_TRUE(context.project.Parts.isEmpty());
}

}  // namespace
