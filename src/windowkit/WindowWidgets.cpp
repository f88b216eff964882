#include "windowkit/WindowWidgets.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace {

const QColor kRefusedColour(255, 0, 0);

// How long after a window shows the window system may still frame it and size it afresh.
constexpr qint64 kSettlingMs = 1000;

QRect workArea(const QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// At least the size its layout asks for, so that every control shows.
void fitToContents(QWidget& window) {
    if (QLayout* layout = window.layout()) {
        layout->activate();
    }
    const QSize wanted = window.size().expandedTo(window.sizeHint());
    if (wanted != window.size()) {
        window.resize(wanted);
    }
}

// The frame's top right corner at the work area's. The frame's size is known once the window
// system has framed the window; before that the window itself is placed.
void moveToTopRight(QWidget& window) {
    const QRect area = workArea(window);
    if (area.isEmpty()) {
        return;
    }
    const int frameWidth = window.frameGeometry().width();
    const QPoint corner(area.right() + 1 - frameWidth, area.top());
    if (window.pos() != corner) {
        window.move(corner);
    }
}

// A shown window is framed, and may be sized afresh, by the window system after it placed
// itself: until that has settled, each change of its geometry fits and places it again. Later
// changes are the operator's and stay.
class TopRightPlacement : public QObject {
public:
    static constexpr const char* kName = "TopRightPlacement";

    explicit TopRightPlacement(QWidget& window) : QObject(&window), window_(window) {
        setObjectName(kName);
        window.installEventFilter(this);
    }

    void place() {
        fitToContents(window_);
        moveToTopRight(window_);
        settling_.start();
    }

    bool eventFilter(QObject*, QEvent* event) override {
        const bool geometry = event->type() == QEvent::Move || event->type() == QEvent::Resize;
        if (geometry && window_.isVisible() && settling_.isValid() &&
            settling_.elapsed() < kSettlingMs) {
            fitToContents(window_);
            moveToTopRight(window_);
        }
        return false;
    }

private:
    QWidget& window_;
    QElapsedTimer settling_;
};

}  // namespace

void ShowEditVerdict(QWidget* box, bool accepted) {
    const QPalette normal = QApplication::palette(box);
    QPalette palette = box->palette();
    for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Button}) {
        palette.setColor(role, accepted ? normal.color(role) : kRefusedColour);
    }
    box->setPalette(palette);
}

void PlaceAtTopRight(QWidget* window) {
    auto* placement = static_cast<TopRightPlacement*>(
        window->findChild<QObject*>(TopRightPlacement::kName, Qt::FindDirectChildrenOnly));
    if (!placement) {
        placement = new TopRightPlacement(*window);
    }
    placement->place();
}

bool ShowSnapOrPlaceholder(QLabel* picture, QLabel* noSnap, const QString& path, int fit) {
    const QPixmap snap = path.isEmpty() ? QPixmap() : QPixmap(path);
    const bool shown = !snap.isNull();
    picture->setPixmap(shown && fit > 0 ? snap.scaled(fit, fit, Qt::KeepAspectRatio) : snap);
    picture->setVisible(shown);
    noSnap->setVisible(!shown);
    return shown;
}
