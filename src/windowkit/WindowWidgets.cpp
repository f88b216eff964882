#include "windowkit/WindowWidgets.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace {

const QColor kRefusedColour(255, 0, 0);

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
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->geometry();
        window->move(area.right() + 1 - window->frameGeometry().width(), area.top());
    }
}
