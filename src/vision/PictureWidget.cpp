#include "vision/PictureWidget.h"

#include <QMouseEvent>
#include <QPainter>

#include "vision/VideoRulers.h"

PictureWidget::PictureWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
}

void PictureWidget::setImage(const QImage& image) {
    image_ = image;
    update();
}

QRectF PictureWidget::shownRect() const {
    return ShownPictureRect(QRectF(rect()), image_.size());
}

void PictureWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF shown = shownRect();
    if (shown.isEmpty()) {
        painter.fillRect(rect(), palette().color(QPalette::Window));
        return;
    }
    // Only the borders beside the picture need the background: the picture covers the rest.
    const QRegion borders = QRegion(rect()).subtracted(QRegion(shown.toAlignedRect()));
    for (const QRect& border : borders) {
        painter.fillRect(border, palette().color(QPalette::Window));
    }
    painter.drawImage(shown, image_);
}

void PictureWidget::mousePressEvent(QMouseEvent* event) {
    emit pressed(event->position().toPoint());
    QWidget::mousePressEvent(event);
}
