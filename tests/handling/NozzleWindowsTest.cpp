// The nozzle question at start-up and the "Nozzle Changer" window.
#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "handling/TFormNozzleChanger.h"
#include "support/widgets/MainWindowFixture.h"

namespace {

class NozzleWindowsTest : public MainWindowFixture {
protected:
    // Starts up with the person answering the nozzle question by `choice` ("NOZZLE 5", ...);
    // gives the choice the question offered first, or "" when no question came.
    QString startUpAnswering(const QString& choice) {
        QString offered;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            QWidget* question = QApplication::activeModalWidget();
            if (!question || question->windowTitle() != "Confirm Nozzle Selection") {
                return;
            }
            for (QRadioButton* radio : question->findChildren<QRadioButton*>()) {
                if (radio->isChecked()) {
                    offered = radio->text();
                }
            }
            for (QRadioButton* radio : question->findChildren<QRadioButton*>()) {
                if (radio->text() == choice) {
                    radio->click();
                }
            }
            question->findChild<QPushButton*>("ButtonOk")->click();
        });
        answer.start(5);
        window->startUp();
        return offered;
    }
};

TEST_F(NozzleWindowsTest, StartUpAsksWhichNozzleIsMounted) {
    context->settings.currentNozzle = 3;
    EXPECT_EQ(startUpAnswering("NOZZLE 5"), "NOZZLE 3");
    EXPECT_EQ(context->settings.currentNozzle, 5);
    EXPECT_EQ(text("LabelNozzle"), "NOZZLE 5");
}

TEST_F(NozzleWindowsTest, AnUnknownNozzleIsOfferedAsNoneAndWithoutAChangerNothingIsAsked) {
    context->settings.currentNozzle = 12;
    EXPECT_EQ(startUpAnswering("NONE"), "NONE");
    EXPECT_EQ(context->settings.currentNozzle, 0);

    context->settings.nozzleChangerEnabled = false;
    EXPECT_EQ(startUpAnswering("NOZZLE 1"), "");
    EXPECT_EQ(context->settings.currentNozzle, 0);
    EXPECT_EQ(text("LabelNozzle"), "");
}

TEST_F(NozzleWindowsTest, ChangerWindowRefusesBadValuesAndOffersOnlySafeExchanges) {
    startUp();
    context->settings.currentNozzle = 9;  // not a holder of this changer
    TFormNozzleChanger form(*context, window.get());
    form.show();
    auto* horizontal = form.findChild<QLineEdit*>("EditNozzleHorizontal");
    horizontal->setText("9.5");
    EXPECT_EQ(horizontal->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(context->settings.nozzleHorizontal, 16);
    form.findChild<QLineEdit*>("EditNozzleChangerSpeed")->setText("0");
    EXPECT_EQ(context->settings.nozzleChangerSpeed, 3000);
    form.findChild<QLineEdit*>("EditNozzleDown")->setText("35");
    EXPECT_EQ(context->settings.nozzleDown, 35);
    EXPECT_EQ(form.findChild<QLineEdit*>("EditCurrentNozzle")->text(), "9");
    for (const char* name : {"ButtonParkNozzle", "ButtonSetPosition", "ButtonGotoPosition"}) {
        EXPECT_FALSE(form.findChild<QPushButton*>(name)->isEnabled()) << name;
    }
    EXPECT_TRUE(form.findChild<QPushButton*>("ButtonSelectNozzle4")->isEnabled());

    form.findChild<QCheckBox*>("CheckBoxNozzleChangerEnabled")->click();
    EXPECT_FALSE(context->settings.nozzleChangerEnabled);
    EXPECT_FALSE(form.findChild<QWidget*>("GroupBoxNozzles")->isEnabled());
}

TEST_F(NozzleWindowsTest, TheEntryHeightLiesInTheZTravelAndTheParkRiseGoesUpFromIt) {
    startUp();
    MachineSettings& s = context->settings;
    s.homeZ = 15;  // the Z travel 0..35 lies at -15..20 from Z zero
    TFormNozzleChanger form(*context, window.get());
    form.show();
    auto* down = form.findChild<QLineEdit*>("EditNozzleDown");
    auto* up = form.findChild<QLineEdit*>("EditNozzleUp");
    down->setText("20");
    EXPECT_EQ(s.nozzleDown, 20);
    down->setText("20.01");
    EXPECT_EQ(s.nozzleDown, 20);
    EXPECT_EQ(down->palette().color(QPalette::Base), QColor(255, 0, 0));

    // "Park Up" is a height above Z zero the head rises to from the entry height; above the
    // top of the travel the top stands in.
    struct Case {
        double entry;
        const char* typed;
        bool accepted;
    };
    for (const Case& c :
         {Case{20, "10", true}, Case{20, "15", true}, Case{20, "30", true}, Case{20, "0", true},
          Case{20, "-15", false}, Case{20, "-0.01", false}, Case{20, "35.01", false},
          Case{-12, "10", false}, Case{-12, "14", true}}) {
        s.nozzleDown = c.entry;
        s.nozzleUp = 7;
        up->setText(c.typed);
        EXPECT_EQ(s.nozzleUp, c.accepted ? QString(c.typed).toDouble() : 7)
            << c.entry << " " << c.typed;
        EXPECT_EQ(up->palette().color(QPalette::Base) == QColor(255, 0, 0), !c.accepted)
            << c.entry << " " << c.typed;
    }
}

TEST_F(NozzleWindowsTest, SelectingInTheWindowExchangesAndShowsTheNozzle) {
    startUp();
    MachineSettings& s = context->settings;
    s.nozzleChangerLocation = 1;
    s.nozzleX = {10, 60, 110, 160, 210, 260, 310, 360};
    s.nozzleY.fill(300);
    TFormNozzleChanger form(*context, window.get());
    form.show();
    EXPECT_EQ(form.findChild<QLineEdit*>("EditCurrentNozzle")->text(), "NONE");
    form.findChild<QPushButton*>("ButtonSelectNozzle2")->click();
    EXPECT_EQ(s.currentNozzle, 2);
    EXPECT_EQ(form.findChild<QLineEdit*>("EditCurrentNozzle")->text(), "2");
    EXPECT_FALSE(form.findChild<QPushButton*>("ButtonSelectNozzle2")->isEnabled());
    EXPECT_EQ(text("LabelNozzle"), "NOZZLE 2");
    form.findChild<QPushButton*>("ButtonParkNozzle")->click();
    EXPECT_EQ(s.currentNozzle, 0);
}

}  // namespace
