// The operator at any moment. On the demo panel, as its owner works with it, the machine picks
// and places a part by hand, places the rest of a board in a run, tries a pick and goes to a
// feeder's nozzle height in the Feeders window, and starts a nozzle offset calibration. Meanwhile
// a person clicks, at seeded message rounds, any control that is enabled in the main window or
// in the window open then (the emergency stop aside: the stop lets a held part fall where it
// is, by design). Whatever was clicked, every pad got exactly its own part once, no part fell
// outside a pad or a reject tray, and no part was carried low but straight up and down or over
// the up-looking camera.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <functional>
#include <random>

#include "context/MachineSequence.h"
#include "support/widgets/DemoWindowFixture.h"

namespace {

// Seeds per test: the 200 seeds run as ctest tests of this many, so that they spread over the
// processors and a failing seed is found quickly.
constexpr int kSeedsPerTest = 10;
constexpr int kSeeds = 200;
// The person clicks at about one message round in this many.
constexpr int kRoundsPerClick = 48;
// A run stopped by a click is started again, up to this many times.
constexpr int kRunStarts = 40;

const QStringList kBoardParts = {"U1", "Q1", "R1", "R7"};  // one of each feeder kind and side

// One thing the person can do: its description and the doing.
struct Action {
    QString name;
    std::function<void()> act;
};

// One session on the program as it first starts, in a fresh home folder.
class OperatorSession : public DemoWindow {
public:
    explicit OperatorSession(unsigned seed) : random_(seed) {}

    // The whole session with a person clicking at random; the faults it left.
    QStringList run();

private:
    void clickAtRandom();
    std::vector<Action> actions();
    void addControls(QWidget& root, std::vector<Action>& found);
    void addMenus(std::vector<Action>& found);
    bool clickIn(QWidget& root, const QString& name);
    void placeTheBoard();

    std::mt19937 random_;
    QString expectedWindow_;  // the title of the settings window the session opens itself
    bool clicking_ = false;
    QStringList clicked_;
};

bool operable(const QWidget& control) {
    return control.isVisibleTo(control.window()) && control.isEnabled() &&
           control.objectName() != "ButtonEmergencyStop";
}

void OperatorSession::addControls(QWidget& root, std::vector<Action>& found) {
    for (QAbstractButton* button : root.findChildren<QAbstractButton*>()) {
        if (operable(*button)) {
            found.push_back(
                {button->objectName(), [button] { QTest::mouseClick(button, Qt::LeftButton); }});
        }
    }
    for (QListView* list : root.findChildren<QListView*>()) {
        const int rows = list->model() ? list->model()->rowCount() : 0;
        if (operable(*list) && rows > 0) {
            const int row = std::uniform_int_distribution<int>(0, rows - 1)(random_);
            found.push_back({list->objectName() + " row " + QString::number(row), [list, row] {
                                 const QModelIndex index = list->model()->index(row, 0);
                                 list->scrollTo(index);
                                 QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                                   list->visualRect(index).center());
                             }});
        }
    }
    for (QComboBox* box : root.findChildren<QComboBox*>()) {
        if (operable(*box) && box->count() > 0) {
            const int item = std::uniform_int_distribution<int>(0, box->count() - 1)(random_);
            found.push_back({box->objectName() + " item " + QString::number(item),
                             [box, item] { box->setCurrentIndex(item); }});
        }
    }
}

void OperatorSession::addMenus(std::vector<Action>& found) {
    for (QMenu* menu : window->menuBar()->findChildren<QMenu*>()) {
        if (!menu->menuAction()->isEnabled()) {
            continue;
        }
        for (QAction* item : menu->actions()) {
            if (item->isEnabled() && !item->isSeparator()) {
                found.push_back({item->objectName(), [item] { item->trigger(); }});
            }
        }
    }
}

std::vector<Action> OperatorSession::actions() {
    std::vector<Action> found;
    auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    QWidget& root = open ? static_cast<QWidget&>(*open) : *window->centralWidget();
    addControls(root, found);
    if (!open) {
        addMenus(found);
    }
    // The window's close box is always there to be clicked.
    QWidget* closing = open ? static_cast<QWidget*>(open) : window.get();
    found.push_back({"close " + closing->windowTitle(), [closing] { closing->close(); }});
    return found;
}

// At a message round while a machine sequence waits, now and then.
void OperatorSession::clickAtRandom() {
    if (clicking_ || !SequenceRunning(*context) ||
        std::uniform_int_distribution<int>(1, kRoundsPerClick)(random_) != 1) {
        return;
    }
    const std::vector<Action> offered = actions();
    const Action& action =
        offered[std::uniform_int_distribution<std::size_t>(0, offered.size() - 1)(random_)];
    clicking_ = true;
    clicked_ << action.name;
    action.act();
    clicking_ = false;
}

bool OperatorSession::clickIn(QWidget& root, const QString& name) {
    auto* button = root.findChild<QAbstractButton*>(name);
    if (!button || !button->isEnabled()) {
        ADD_FAILURE() << name.toStdString() << " is not there to click";
        return false;
    }
    button->click();
    return true;
}

// The board's parts not placed by hand, by runs started again after a Stop.
void OperatorSession::placeTheBoard() {
    for (int start = 0; start < kRunStarts && context->project.CurrentPanelBoard == 1; ++start) {
        person.answers = {OperatorPort::Answer::No};  // "CURRENT PART": go on where it stopped
        if (!clickIn(*window->centralWidget(), "ButtonStartBoard")) {
            return;
        }
    }
}

QStringList OperatorSession::run() {
    enableOnly(kBoardParts);
    // A window a click opened in the middle of a sequence is closed again by the person.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [this] {
        auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (open && open->windowTitle() != expectedWindow_) {
            open->reject();
        }
    });
    closer.start(20);
    person.onProcessEvents = [this] { clickAtRandom(); };

    // U1 picked and placed by hand.
    context->project.CurrentPart = partNumber("U1");
    window->updatePartList();
    clickIn(*window->centralWidget(), "ButtonPickPart");
    clickIn(*window->centralWidget(), "ButtonPlacePart");
    placeTheBoard();

    // In the Feeders window on the tray feeder: a test pick discarded, then the nozzle down to
    // the next pocket.
    context->project.CurrentPart = partNumber("U1");
    window->updatePartList();
    expectedWindow_ = "Feeders";
    inWindow([this] { clickIn(*window->centralWidget(), "ButtonFeeders"); },
             [this](QDialog& feeders) {
                 clickIn(feeders, "ButtonTestPick");
                 clickIn(feeders, "ButtonDiscard");
                 clickIn(feeders, "ButtonGotoFeederNozzle");
             });

    // The nozzle offset window: it mounts the nozzle and looks at the mark; the nozzle goes onto
    // the mark and over the up camera.
    expectedWindow_ = "Nozzle Offset";
    inWindow([this] { window->findChild<QAction*>("NozzleOffset1")->trigger(); },
             [this](QDialog& offset) {
                 clickIn(offset, "ButtonGotoNozzle");
                 clickIn(offset, "ButtonUpCamera");
             });
    expectedWindow_.clear();
    person.onProcessEvents = nullptr;

    std::set<Pad> board;
    for (const QString& designator : kBoardParts) {
        board.insert({1, designator});
    }
    QStringList faults = runFaults(board);
    if (context->project.CurrentPanelBoard != 2) {
        faults << "the board run never finished";
    }
    if (!faults.isEmpty()) {
        faults << "clicked: " + clicked_.join(", ");
    }
    return faults;
}

class SeededOperatorTest : public ::testing::TestWithParam<int> {};

TEST_P(SeededOperatorTest, ClicksAtAnyMomentNeverMisplaceDropOrDragAPart) {
    for (int seed = GetParam(); seed < GetParam() + kSeedsPerTest; ++seed) {
        const QStringList faults = OperatorSession(static_cast<unsigned>(seed)).run();
        ASSERT_TRUE(faults.isEmpty()) << "seed " << seed << ":\n"
                                      << faults.join("\n").toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SeededOperatorTest, ::testing::Range(0, kSeeds, kSeedsPerTest));

}  // namespace
