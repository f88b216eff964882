#include "project/ValidatedEditWidget.h"

#include <QApplication>
#include <QWidget>

namespace {

const QColor kRefusedColour(255, 0, 0);

}  // namespace

void ShowEditVerdict(QWidget* box, bool accepted) {
    const QPalette normal = QApplication::palette(box);
    QPalette palette = box->palette();
    // Base is the field of an edit box, Button that of a drop-down list.
    for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Button}) {
        palette.setColor(role, accepted ? normal.color(role) : kRefusedColour);
    }
    box->setPalette(palette);
}
