#pragma once

#include <QWidget>
#include <memory>

#include "vision/VisualCorrelation.h"

namespace Ui {
class TFormVisionTest;
}

// "Vision Test": while the vision test mode is on, a search shows here the search image and
// the reference it is about to compare, and waits for "SINGLE STEP!" after each pair.
class TFormVisionTest : public QWidget, public VisionTestDisplay {
    Q_OBJECT

public:
    explicit TFormVisionTest(QWidget* parent = nullptr);
    ~TFormVisionTest() override;

    void open() override;
    void show(const TBitmap32& searchImage, const TBitmap32& reference) override;
    void close() override;

private:
    std::unique_ptr<Ui::TFormVisionTest> ui_;
};
