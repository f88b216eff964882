#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

#include "context/OperatorPort.h"

// Test double of the operator port: records every call as a line ("speak: HELLO",
// "error: FAILED!") and answers questions and file dialogs from queues (No, Cancel for a
// question with captions of its own, or empty when the queue is empty).
class ScriptedOperatorPort : public OperatorPort {
public:
    QStringList calls;
    std::deque<Answer> answers;
    std::deque<QString> files;
    int statusUpdates = 0;
    int buttonUpdates = 0;
    int partListUpdates = 0;
    int eventRounds = 0;
    FileDialogRequest lastFileDialog;
    // Runs at every message round: a test presses buttons mid-sequence from here.
    std::function<void()> onProcessEvents;
    // Runs at every button refresh (the main window switches the outputs off under a stop).
    std::function<void()> onUpdateButtons;

    void handlePendingMessages() override {
        ++eventRounds;
        if (onProcessEvents) {
            onProcessEvents();
        }
    }
    void speak(const QString& text) override { calls << "speak: " + text; }
    void updateStatus() override { ++statusUpdates; }
    void updateButtons() override {
        ++buttonUpdates;
        if (onUpdateButtons) {
            onUpdateButtons();
        }
    }
    void updatePartList() override { ++partListUpdates; }
    void showError(const QString& text) override { calls << "error: " + text; }
    void showInformation(const QString& text) override { calls << "information: " + text; }
    Answer ask(const QString& question, bool withCancel) override {
        calls << QString("ask%1: %2").arg(withCancel ? "3" : "2", question);
        return next(answers, Answer::No);
    }
    // "choice: QUESTION [YES/*CANCEL]": the buttons shown, the default one starred.
    Answer askChoice(const QString& question, const QString& yesCaption, const QString& noCaption,
                     const QString& cancelCaption, Answer preferred) override {
        QStringList buttons;
        const std::pair<QString, Answer> captions[] = {
            {yesCaption, Answer::Yes}, {noCaption, Answer::No}, {cancelCaption, Answer::Cancel}};
        for (const auto& [caption, answer] : captions) {
            if (!caption.isEmpty()) {
                buttons << (answer == preferred ? "*" : "") + caption;
            }
        }
        calls << QString("choice: %1 [%2]").arg(question, buttons.join('/'));
        return next(answers, Answer::Cancel);
    }
    QString chooseOpenFile(const FileDialogRequest& request) override {
        calls << "open: " + request.title;
        lastFileDialog = request;
        return next(files, QString());
    }
    QString chooseSaveFile(const FileDialogRequest& request) override {
        calls << "save: " + request.title;
        lastFileDialog = request;
        return next(files, QString());
    }
    void beep() override { calls << "beep"; }

    // The recorded lines that start with `prefix` ("error: ", "speak: ").
    QStringList callsStartingWith(const QString& prefix) const {
        QStringList found;
        for (const QString& call : calls) {
            if (call.startsWith(prefix)) {
                found << call.mid(prefix.size());
            }
        }
        return found;
    }

private:
    template <typename T>
    static T next(std::deque<T>& queue, T fallback) {
        if (queue.empty()) {
            return fallback;
        }
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};
