#include "app/WindowWidgets.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>

void MarkEdit(QLineEdit* edit, bool accepted) {
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, accepted
                                         ? edit->style()->standardPalette().color(QPalette::Base)
                                         : QColor(255, 0, 0));
    edit->setPalette(palette);
}

void PlaceAtTopRight(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        window->move(area.right() + 1 - window->frameGeometry().width(), area.top());
    }
}
