#pragma once

#include <QString>
#include <optional>

class QWidget;

// The modal questions the main window puts to the user, behind one seam so the
// window's flows can be driven without a dialog blocking them.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // A message with an OK button and no icon; `details`, when not empty, is a
    // second paragraph under it (which file, and what is wrong with it).
    virtual void ShowMessage(QWidget* parent, const QString& title, const QString& text,
                             const QString& details) = 0;
    // An open-file dialog starting at `startPath`, offering `filter`. Nothing
    // when the user cancels or the dialog fails.
    virtual std::optional<QString> ChooseFile(QWidget* parent, const QString& startPath,
                                              const QString& filter) = 0;
    // A save-file dialog starting at `startPath`, offering `filter`. Nothing
    // when the user cancels; a seam without it answers so.
    virtual std::optional<QString> ChooseSaveFile(QWidget* /*parent*/, const QString& /*startPath*/,
                                                  const QString& /*filter*/) {
        return std::nullopt;
    }
    // A question answered Yes or No; a seam without it answers No.
    virtual bool Confirm(QWidget* /*parent*/, const QString& /*title*/, const QString& /*question*/) {
        return false;
    }
    // One line of text asked for under `label`, starting as `suggestion`.
    // Nothing when the user cancels; a seam without it answers so.
    virtual std::optional<QString> AskText(QWidget* /*parent*/, const QString& /*title*/,
                                           const QString& /*label*/, const QString& /*suggestion*/) {
        return std::nullopt;
    }
};
