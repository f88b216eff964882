#include "app/TFormMainDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTextToSpeech>

namespace {

// The program's messages break their lines with carriage returns, which a message box would
// run together: shown, each becomes a line break.
QString shown(const QString& text) {
    QString lines = text;
    return lines.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
}

}  // namespace

TFormMainDialogs::TFormMainDialogs(QWidget* parent) : parent_(parent) {}

TFormMainDialogs::~TFormMainDialogs() = default;

void TFormMainDialogs::speak(const QString& text) {
    if (!voiceTried_) {
        voiceTried_ = true;
        // No engine means silence, never an error.
        if (!QTextToSpeech::availableEngines().isEmpty()) {
            voice_ = std::make_unique<QTextToSpeech>();
            if (voice_->state() == QTextToSpeech::Error) {
                voice_.reset();
            }
        }
    }
    if (voice_) {
        voice_->say(text.toLower());
    }
}

void TFormMainDialogs::showError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, "Error", shown(text), QMessageBox::Cancel, parent_);
    box.exec();
}

void TFormMainDialogs::showInformation(const QString& text) {
    QMessageBox box(QMessageBox::Information, "Information", shown(text), QMessageBox::Ok, parent_);
    box.exec();
}

OperatorPort::Answer TFormMainDialogs::ask(const QString& question, bool withCancel) {
    QMessageBox box(QMessageBox::Question, "Confirm", shown(question), QMessageBox::NoButton,
                    parent_);
    QPushButton* yes = box.addButton("YES", QMessageBox::YesRole);
    QPushButton* no = box.addButton("NO", QMessageBox::NoRole);
    QPushButton* cancel = withCancel ? box.addButton("CANCEL", QMessageBox::RejectRole) : nullptr;
    box.setDefaultButton(yes);
    box.setEscapeButton(withCancel ? cancel : no);
    box.exec();
    if (box.clickedButton() == yes) {
        return OperatorPort::Answer::Yes;
    }
    return box.clickedButton() == no || !withCancel ? OperatorPort::Answer::No
                                                    : OperatorPort::Answer::Cancel;
}

OperatorPort::Answer TFormMainDialogs::askChoice(const QString& question,
                                                 const QStringList& captions,
                                                 OperatorPort::Answer preferred) {
    QMessageBox box(QMessageBox::Question, "Confirm", shown(question), QMessageBox::NoButton,
                    parent_);
    const OperatorPort::Answer answers[] = {OperatorPort::Answer::Yes, OperatorPort::Answer::No,
                                            OperatorPort::Answer::Cancel};
    QPushButton* buttons[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (captions.value(i).isEmpty()) {
            continue;  // a two-button question
        }
        buttons[i] = box.addButton(captions.value(i),
                                   i == 2 ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        if (answers[i] == preferred) {
            box.setDefaultButton(buttons[i]);
        }
    }
    box.setEscapeButton(buttons[2]);
    box.exec();
    for (int i = 0; i < 2; ++i) {
        if (buttons[i] && box.clickedButton() == buttons[i]) {
            return answers[i];
        }
    }
    return OperatorPort::Answer::Cancel;
}

QString TFormMainDialogs::chooseFile(const FileDialogRequest& request, bool forSaving) {
    QFileDialog dialog(parent_, request.title, request.folder, request.filter);
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.acceptLabel.isEmpty()) {
        dialog.setLabelText(QFileDialog::Accept, request.acceptLabel);
    }
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

void TFormMainDialogs::beep() {
    QApplication::beep();
}
