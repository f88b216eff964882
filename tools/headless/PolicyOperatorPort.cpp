#include "PolicyOperatorPort.h"

#include "handling/PlacementCycle.h"

namespace {

// A message box's text on one line of the report.
QString oneLine(const QString& text) {
    return QString(text).replace('\r', ' ').replace('\n', ' ');
}

}  // namespace

void PolicyOperatorPort::speak(const QString& text) {
    messages_ << "said: " + oneLine(text);
}

void PolicyOperatorPort::updateButtons() {
    if (onButtonUpdate) {
        onButtonUpdate();
    }
}

void PolicyOperatorPort::updatePartList() {
    if (onPartListUpdate) {
        onPartListUpdate();
    }
}

void PolicyOperatorPort::showError(const QString& text) {
    messages_ << "error: " + oneLine(text);
}

void PolicyOperatorPort::showInformation(const QString& text) {
    messages_ << "information: " + oneLine(text);
    if (onInformation) {
        onInformation(text);
    }
}

OperatorPort::Answer PolicyOperatorPort::answered(const QString& question, Answer answer,
                                                  const QString& caption) {
    messages_ << "asked: " + oneLine(question) + " -> " + caption;
    return answer;
}

OperatorPort::Answer PolicyOperatorPort::ask(const QString& question, bool withCancel) {
    return withCancel ? answered(question, Answer::Cancel, "CANCEL")
                      : answered(question, Answer::No, "NO");
}

OperatorPort::Answer PolicyOperatorPort::askChoice(const QString& question,
                                                   const QString& yesCaption, const QString&,
                                                   const QString& cancelCaption, Answer) {
    if (question == QLatin1String(kFiducialFailureQuestion)) {
        fiducialFailureAsked_ = true;
        if (runOnAfterFiducialFailure_) {
            return answered(question, Answer::Yes, yesCaption);
        }
    }
    return answered(question, Answer::Cancel, cancelCaption);
}

QString PolicyOperatorPort::chooseOpenFile(const FileDialogRequest& request) {
    answered(request.title, Answer::Cancel, "CANCEL");
    return {};
}

QString PolicyOperatorPort::chooseSaveFile(const FileDialogRequest& request) {
    answered(request.title, Answer::Cancel, "CANCEL");
    return {};
}
