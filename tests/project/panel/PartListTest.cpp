// The part list without a window: entries, caption, current part, sorting, deleting, feeder
// assignment and the angle rule.
#include "project/PartList.h"

#include <gtest/gtest.h>

namespace {

PartRec part(const QString& designator, const QString& comment, int feeder = 0) {
    PartRec rec;
    rec.Designator = designator;
    rec.Comment = comment;
    rec.Feeder = feeder;
    return rec;
}

FeederRec feeder(int nozzle, const QString& description = {}, const QString& snap = {}) {
    FeederRec rec;
    rec.Nozzle = nozzle;
    rec.Description = description;
    rec.SnapName = snap;
    return rec;
}

QStringList designators(const ProjectState& project) {
    QStringList names;
    for (const PartRec& rec : project.Parts) {
        names << rec.Designator;
    }
    return names;
}

TEST(PartList, EntriesNameThePartAndWhatIsKnownOfIt) {
    PartRec disabled = part("R12", "10k");
    disabled.Enabled = false;
    EXPECT_EQ(PartListEntry(disabled, 3), "Part 3 - DISABLED - R12 - 10k");
    EXPECT_EQ(PartListEntry(part("", ""), 1), "Part 1");
    EXPECT_EQ(PartListEntry(part("U3", ""), 2), "Part 2 - U3");
    EXPECT_EQ(PartListEntry(part("", "100n"), 4), "Part 4 - 100n");
}

TEST(PartList, CaptionAndCurrentPartFollowTheListLength) {
    ProjectState project;
    project.CurrentPart = 3;
    NormaliseCurrentPart(project);
    EXPECT_EQ(project.CurrentPart, 0);
    EXPECT_EQ(PartDetailsCaption(project), "Part Details - No Parts");
    EXPECT_EQ(CurrentPartRec(project), nullptr);

    project.Parts = {part("A", ""), part("B", ""), part("C", "")};
    for (const auto& [current, normalised] : {std::pair{0, 1}, {-5, 1}, {2, 2}, {9, 3}}) {
        project.CurrentPart = current;
        NormaliseCurrentPart(project);
        EXPECT_EQ(project.CurrentPart, normalised) << "from " << current;
    }
    EXPECT_EQ(PartDetailsCaption(project), "Part Details - 3 of 3");
    EXPECT_EQ(CurrentPartRec(project)->Designator, "C");
}

TEST(PartList, FeederItemsAndTheSnapOfThePartsFeeder) {
    ProjectState project;
    project.Feeders = {feeder(1, "Tape 0805", "Snap0805"), feeder(2)};
    EXPECT_EQ(FeederItems(project), (QStringList{"1 - Tape 0805", "2"}));

    project.Parts = {part("R1", "", 1), part("R2", "", 0), part("R3", "", 3)};
    const QString folder = "/settings/";
    const QString expected[] = {"/settings/Snap0805.bmp", "", ""};  // no feeder, beyond list
    for (int n = 1; n <= 3; ++n) {
        project.CurrentPart = n;
        EXPECT_EQ(FeederSnapPath(project, folder), expected[n - 1]) << "part " << n;
    }
}

TEST(PartList, SortGroupsByNozzleThenFeederThenDesignatorAndComment) {
    ProjectState project;
    // Feeder 1 uses nozzle 2, feeder 2 nozzle 1, feeder 3 no nozzle.
    project.Feeders = {feeder(2), feeder(1), feeder(0)};
    project.Parts = {
        part("NoFeeder", "", 0), part("N2", "", 1),       part("N1", "", 2),
        part("r1", "", 2),       part("R2", "", 2),       part("R10", "b", 2),
        part("R10", "a", 2),     part("NoNozzle", "", 3), part("Beyond", "", 7),
    };
    project.CurrentPart = 5;
    ASSERT_TRUE(SortParts(project));
    // Character codes: "N1" < "R10" < "R2" < "r1"; comments break the designator tie.
    EXPECT_EQ(designators(project), (QStringList{"N1", "R10", "R10", "R2", "r1", "N2", "NoNozzle",
                                                 "Beyond", "NoFeeder"}));
    EXPECT_EQ(project.Parts[1].Comment, "a");
    EXPECT_EQ(project.CurrentPart, 1);
}

TEST(PartList, SortNeedsTwoParts) {
    ProjectState project;
    project.Parts = {part("B", "")};
    project.CurrentPart = 1;
    EXPECT_FALSE(SortParts(project));
    project.Parts.clear();
    EXPECT_FALSE(SortParts(project));
}

TEST(PartList, DeletingMovesTheFollowingPartsUp) {
    struct Case {
        const char* name;
        QStringList before;
        int current;
        QStringList after;
        int currentAfter;
    };
    const Case cases[] = {
        {"middle part", {"A", "B", "C"}, 2, {"A", "C"}, 2},
        {"last part while current", {"A", "B", "C"}, 3, {"A", "B"}, 2},
        {"only part", {"A"}, 1, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectState project;
        for (const QString& name : c.before) {
            project.Parts << part(name, "");
        }
        project.CurrentPart = c.current;
        EXPECT_TRUE(DeleteCurrentPart(project));
        EXPECT_EQ(designators(project), c.after);
        EXPECT_EQ(project.CurrentPart, c.currentAfter);
    }
    ProjectState empty;
    EXPECT_FALSE(DeleteCurrentPart(empty));
}

TEST(PartList, CommentsMatchIgnoringTheCaseOfAsciiLettersOnly) {
    EXPECT_TRUE(SameComment(u"10k 0603", u"10K 0603"));
    EXPECT_TRUE(SameComment(u"", u""));
    EXPECT_FALSE(SameComment(u"10k", u"10k "));
    EXPECT_FALSE(SameComment(u"\u00e4", u"\u00c4"));  // a-umlaut: not one of A-Z
    EXPECT_FALSE(SameComment(u"10k", u""));
}

TEST(PartList, AFeederGoesToEveryPartOfTheSameCommentInAnyCase) {
    ProjectState project;
    const QString spellings[] = {"10k", "10K", "10k", "10K"};
    for (int n = 0; n < 10; ++n) {
        project.Parts << part(QString("R%1").arg(n), spellings[n % 4], 1);
        project.Parts << part(QString("C%1").arg(n), n % 2 ? "100n" : "10k ", 1);
    }
    project.CurrentPart = 3;  // R1, "10K"
    ASSERT_TRUE(ChangeFeeder(project, 4));
    EXPECT_FALSE(ChangeFeeder(project, 4));  // unchanged: no second question
    AssignFeederToMatchingParts(project, 4);
    for (const PartRec& rec : project.Parts) {
        EXPECT_EQ(rec.Feeder, rec.Designator.startsWith('R') ? 4 : 1)
            << rec.Designator.toStdString();
    }
}

TEST(PartList, AnglesLieStrictlyWithinOneTurn) {
    struct Case {
        const char* text;
        std::optional<double> angle;
    };
    const Case cases[] = {
        {"359.99", 359.99},    {"-359.99", -359.99},   {"0", 0.0},
        {"360", std::nullopt}, {"-360", std::nullopt}, {"720", std::nullopt},
        {"12a", std::nullopt}, {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParsePartAngle(QString(c.text)), c.angle) << c.text;
    }
}

}  // namespace
