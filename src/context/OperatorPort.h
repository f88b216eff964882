#pragma once

#include <QString>

// What a file dialog asks for. `folder` may name a file, which the dialog then pre-selects.
struct FileDialogRequest {
    QString title;
    QString folder;
    QString filter;         // "Corvane Project (*.Corvane)"
    QString acceptLabel;    // the OK button's caption; empty for the platform's own
    QString defaultSuffix;  // added to a typed save name without one
};

// Everything a machine sequence needs from a person or a screen. The main window implements
// it with real dialogs; tests use a scripted double; the headless runner answers by policy.
class OperatorPort {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~OperatorPort() = default;

    // Handles pending window messages, so buttons such as the emergency stop act mid-sequence.
    // Counted: what runs from inside it runs one level deeper in message handling, which is
    // how a sequence started from a message is told from a step of the sequence that waits.
    void processEvents() {
        ++messageDepth_;
        struct Leave {
            int& depth;
            ~Leave() { --depth; }
        } leave{messageDepth_};
        handlePendingMessages();
    }
    // How many message rounds the code running now is nested in (0: none).
    int messageDepth() const { return messageDepth_; }
    // Says a text aloud without waiting; never fails.
    virtual void speak(const QString& text) = 0;
    // The main window's refreshes of its read-outs, its enabled controls and the part list.
    virtual void updateStatus() = 0;
    virtual void updateButtons() = 0;
    virtual void updatePartList() = 0;
    // An error box with a single Cancel button.
    virtual void showError(const QString& text) = 0;
    virtual void showInformation(const QString& text) = 0;
    // A confirmation with Yes/No buttons (Cancel when `withCancel`).
    virtual Answer ask(const QString& question, bool withCancel) = 0;
    // A Yes/No confirmation: true on Yes.
    bool confirms(const QString& question) { return ask(question, false) == Answer::Yes; }
    // A question whose buttons carry their own captions (Yes, No, Cancel in that order; an
    // empty No caption leaves that button out); `preferred` is the default button. Without
    // captions of its own a port asks the plain Yes/No/Cancel question.
    virtual Answer askChoice(const QString& question, const QString& yesCaption,
                             const QString& noCaption, const QString& cancelCaption,
                             Answer preferred) {
        (void)yesCaption, (void)noCaption, (void)cancelCaption, (void)preferred;
        return ask(question, true);
    }
    // File dialogs; an empty result means the person cancelled.
    virtual QString chooseOpenFile(const FileDialogRequest& request) = 0;
    virtual QString chooseSaveFile(const FileDialogRequest& request) = 0;
    virtual void beep() = 0;

protected:
    virtual void handlePendingMessages() = 0;

private:
    int messageDepth_ = 0;
};
