#pragma once

#include <QStringList>
#include <functional>

#include "context/OperatorPort.h"

// The operator of a headless run. Nobody is there to answer, so it answers by policy: the
// fiducial failure question as the run was told, any other question with its safe answer (No,
// or Cancel where there is one), file dialogs with a cancel. Messages need no one to press OK
// (a tray refill is done at once, by the run's hook); each spoken or shown text is kept, in
// order, for the run's report.
class PolicyOperatorPort : public OperatorPort {
public:
    explicit PolicyOperatorPort(bool runOnAfterFiducialFailure)
        : runOnAfterFiducialFailure_(runOnAfterFiducialFailure) {}

    // The run's own hooks: the part list refresh follows the counters, the button refresh
    // applies the main window's rule for the outputs under a stop, and shown information (a
    // tray refill announcement) is acted on.
    std::function<void()> onPartListUpdate;
    std::function<void()> onButtonUpdate;
    std::function<void(const QString&)> onInformation;

    // "said: ...", "error: ...", "information: ...", "asked: ... -> YES", in order.
    const QStringList& messages() const { return messages_; }
    bool fiducialFailureAsked() const { return fiducialFailureAsked_; }

    void handlePendingMessages() override {}
    void speak(const QString& text) override;
    void updateStatus() override {}
    void updateButtons() override;
    void updatePartList() override;
    void showError(const QString& text) override;
    void showInformation(const QString& text) override;
    Answer ask(const QString& question, bool withCancel) override;
    Answer askChoice(const QString& question, const QString& yesCaption, const QString& noCaption,
                     const QString& cancelCaption, Answer preferred) override;
    QString chooseOpenFile(const FileDialogRequest& request) override;
    QString chooseSaveFile(const FileDialogRequest& request) override;
    void beep() override {}

private:
    Answer answered(const QString& question, Answer answer, const QString& caption);

    bool runOnAfterFiducialFailure_;
    bool fiducialFailureAsked_ = false;
    QStringList messages_;
};
