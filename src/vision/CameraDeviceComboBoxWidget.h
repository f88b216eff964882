#pragma once

#include <QComboBox>

// The device list of a camera: it asks to be refilled each time it drops down, so a camera
// plugged in since shows up.
class CameraDeviceComboBox : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    void showPopup() override {
        emit aboutToDropDown();
        QComboBox::showPopup();
    }

signals:
    void aboutToDropDown();
};
