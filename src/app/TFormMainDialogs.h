#pragma once

#include <QStringList>

#include <QPointer>
#include <memory>

#include "context/OperatorPort.h"

class QTextToSpeech;
class QWidget;

// The person's side of the operator port: the voice, message boxes, questions and file
// dialogs, parented to the main window. Window refreshes are the main window's own.
class TFormMainDialogs {
public:
    explicit TFormMainDialogs(QWidget* parent);
    ~TFormMainDialogs();

    void speak(const QString& text);
    void showError(const QString& text);
    void showInformation(const QString& text);
    OperatorPort::Answer ask(const QString& question, bool withCancel);
    // Buttons with their own captions (Yes, No, Cancel in that order; an empty caption leaves
    // its button out); closing cancels.
    OperatorPort::Answer askChoice(const QString& question, const QStringList& captions,
                                   OperatorPort::Answer preferred);
    // An existing file to open, or a file name to save under; empty when cancelled.
    QString chooseFile(const FileDialogRequest& request, bool forSaving);
    void beep();

private:
    QPointer<QWidget> parent_;
    std::unique_ptr<QTextToSpeech> voice_;
    bool voiceTried_ = false;
};
