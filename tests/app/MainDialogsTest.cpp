// The main window's message boxes as the operator reads them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "app/TFormMainDialogs.h"

namespace {

// Shows a box through `show`, reads its text once it is up, and closes it.
QString textShownBy(const std::function<void()>& show) {
    QString text;
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->done(0);
        }
    });
    reader.start(5);
    show();
    return text;
}

// The program's texts break their lines with carriage returns, which a box would run together.
TEST(MainDialogsTest, CarriageReturnsShowAsLineBreaks) {
    TFormMainDialogs dialogs(nullptr);
    struct Case {
        const char* given;
        const char* shown;
    };
    for (const Case c : {Case{"Retry Limit Reached.\rFailed to Place Part",
                              "Retry Limit Reached.\nFailed to Place Part"},
                         Case{"LAST WARNING!!!\r\rDO YOU REALLY WANT TO",
                              "LAST WARNING!!!\n\nDO YOU REALLY WANT TO"},
                         Case{"one\r\ntwo\nthree", "one\ntwo\nthree"}}) {
        EXPECT_EQ(textShownBy([&] { dialogs.showInformation(c.given); }), c.shown) << c.given;
        EXPECT_EQ(textShownBy([&] { dialogs.showError(c.given); }), c.shown) << c.given;
        EXPECT_EQ(textShownBy([&] { dialogs.ask(c.given, false); }), c.shown) << c.given;
    }
}

}  // namespace
