#include "project/TFormNewProject.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ModelTestSupport.h"
#include "context/ProgramContext.h"
#include "support/ScriptedOperatorPort.h"

namespace {

class TFormNewProjectTest : public ::testing::Test {
protected:
    TFormNewProjectTest() {
        ctx_.ProjectsRoot = "/documents/Corvane Projects/";
        form_ = std::make_unique<TFormNewProject>(ctx_);
        edit_ = form_->findChild<QLineEdit*>("EditProjectName");
        ok_ = form_->findChild<QPushButton*>("ButtonOk");
    }

    void show() {
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    }

    VirtualClock clock_;
    ScriptedOperatorPort port_;
    ProgramContext ctx_{clock_, port_};
    std::unique_ptr<TFormNewProject> form_;
    QLineEdit* edit_ = nullptr;
    QPushButton* ok_ = nullptr;
};

TEST_F(TFormNewProjectTest, HasItsControls) {
    EXPECT_EQ(form_->windowTitle(), "Create New Project");
    ASSERT_NE(edit_, nullptr);
    ASSERT_NE(ok_, nullptr);
    EXPECT_NE(form_->findChild<QPushButton*>("ButtonCancel"), nullptr);
    EXPECT_EQ(edit_->maxLength(), 64);
}

TEST_F(TFormNewProjectTest, ShowingClearsTheNameWithoutTouchingTheProject) {
    show();
    QTest::keyClicks(edit_, "Leftover");
    form_->hide();
    ctx_.project.ProjectFolder = "/old/";
    ctx_.project.ProjectName = "Old";

    show();
    EXPECT_TRUE(edit_->text().isEmpty());
    EXPECT_FALSE(ok_->isEnabled());
    EXPECT_EQ(ctx_.project.ProjectFolder, "/old/");
    EXPECT_EQ(ctx_.project.ProjectName, "Old");
}

TEST_F(TFormNewProjectTest, TypingNamesTheProjectAndItsFolderAndSkipsForbiddenCharacters) {
    show();
    QTest::keyClicks(edit_, "A/\\*?|\":<>$b");
    EXPECT_EQ(edit_->text(), "Ab");
    EXPECT_EQ(ctx_.project.ProjectName, "Ab");
    EXPECT_EQ(ctx_.project.ProjectFolder, "/documents/Corvane Projects/Ab/");
    EXPECT_TRUE(ok_->isEnabled());

    edit_->clear();
    EXPECT_FALSE(ok_->isEnabled());
    EXPECT_TRUE(ctx_.project.ProjectName.isEmpty());

    QTest::keyClicks(edit_, QString(70, u'x'));
    EXPECT_EQ(edit_->text().size(), 64);
}

TEST_F(TFormNewProjectTest, OkAcceptsAndCancelRejects) {
    show();
    QTest::keyClicks(edit_, "Board");
    QTest::mouseClick(ok_, Qt::LeftButton);
    EXPECT_EQ(form_->result(), QDialog::Accepted);

    show();
    QTest::mouseClick(form_->findChild<QPushButton*>("ButtonCancel"), Qt::LeftButton);
    EXPECT_EQ(form_->result(), QDialog::Rejected);
    EXPECT_EQ(ctx_.project.ProjectName, "Board");
}

}  // namespace
