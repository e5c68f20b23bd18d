#pragma once

// Qt suites only.
#include <QApplication>
#include <QString>
#include <QStringList>
#include <optional>

#include "ui/widgets/user_prompts.h"

// Stands in for the windows' message boxes and file dialogs: records every
// message (and whether the busy cursor was still on over it) and every file
// dialog asked for, and answers the open dialog with nextChoice, the save
// dialog with nextSaveChoice, a question with nextAnswer (none: cancelled) and a
// Yes or No with nextConfirm.
class FakePrompts : public UserPrompts {
public:
    void ShowMessage(QWidget*, const QString& title, const QString& text, const QString& details) override {
        messages << title + ": " + text + (details.isEmpty() ? QString() : " / " + details);
        cursorOnDuringMessage |= QApplication::overrideCursor() != nullptr;
    }
    std::optional<QString> ChooseFile(QWidget*, const QString& startPath, const QString& filter) override {
        ++fileDialogs;
        startPaths << startPath;
        filters << filter;
        return nextChoice;
    }
    std::optional<QString> ChooseSaveFile(QWidget*, const QString& startPath,
                                          const QString& filter) override {
        ++saveDialogs;
        saveStartPaths << startPath;
        saveFilters << filter;
        return nextSaveChoice;
    }
    bool Confirm(QWidget*, const QString& title, const QString& question) override {
        confirmations << title + ": " + question;
        return nextConfirm;
    }
    std::optional<QString> AskText(QWidget*, const QString& title, const QString& label,
                                   const QString&) override {
        questions << title + ": " + label;
        return nextAnswer;
    }

    QStringList messages;  // "title: text / details"
    bool cursorOnDuringMessage = false;
    int fileDialogs = 0;
    QStringList startPaths, filters;
    std::optional<QString> nextChoice;
    int saveDialogs = 0;
    QStringList saveStartPaths, saveFilters;
    std::optional<QString> nextSaveChoice;  // the save dialog's answer (none: cancelled)
    QStringList questions;                  // "title: label" of each line of text asked for
    std::optional<QString> nextAnswer;      // the answer to AskText (none: cancelled)
    QStringList confirmations;              // "title: question" of each Yes or No asked
    bool nextConfirm = false;               // the answer to Confirm
};
