#include "vision/TFormVisionTest.h"

#include "ui_TFormVisionTest.h"
#include "windowkit/WindowWidgets.h"

TFormVisionTest::TFormVisionTest(QWidget* parent)
    : QWidget(parent, Qt::Tool), ui_(std::make_unique<Ui::TFormVisionTest>()) {
    ui_->setupUi(this);
}

TFormVisionTest::~TFormVisionTest() = default;

void TFormVisionTest::open() {
    QWidget::show();
    PlaceAtTopRight(this);
}

void TFormVisionTest::show(const TBitmap32& searchImage, const TBitmap32& reference) {
    QImage picture;
    imageToPicture(&searchImage, picture);
    ui_->ImageSearch->setImage(picture);
    imageToPicture(&reference, picture);
    ui_->ImageReference->setImage(picture);
}

void TFormVisionTest::close() {
    hide();
}
