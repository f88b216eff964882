#pragma once

#include <QImage>
#include <QWidget>

// A picture control: shows an image as large as it fits with its proportions kept, centred,
// on a plain background (black unless the palette says otherwise). A press on it is reported
// in the control's own coordinates.
class PictureWidget : public QWidget {
    Q_OBJECT

public:
    explicit PictureWidget(QWidget* parent = nullptr);

    void setImage(const QImage& image);
    const QImage& image() const { return image_; }
    // Where the picture is shown inside the control; empty without a picture.
    QRectF shownRect() const;

signals:
    void pressed(QPoint position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage image_;
};
