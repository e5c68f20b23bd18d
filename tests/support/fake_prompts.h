#pragma once

// Qt suites only.
#include <QApplication>
#include <QString>
#include <QStringList>
#include <optional>

#include "ui/main/user_prompts.h"

// Stands in for the main window's message boxes and file dialog: records every
// message (and whether the busy cursor was still on over it) and every file
// dialog asked for, and answers the dialog with nextChoice (none: cancelled).
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

    QStringList messages;  // "title: text / details"
    bool cursorOnDuringMessage = false;
    int fileDialogs = 0;
    QStringList startPaths, filters;
    std::optional<QString> nextChoice;
};
