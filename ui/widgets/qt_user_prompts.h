#pragma once

#include <QTemporaryDir>

#include "ui/widgets/user_prompts.h"

// The prompts as real Qt dialogs. The program keeps no settings, yet Qt's
// file dialog saves its history and last folder in the user's configuration
// folder: while these prompts live, what it saves goes to a folder of their
// own, removed with them, so nothing is kept on disk.
class QtUserPrompts : public UserPrompts {
public:
    QtUserPrompts();
    void ShowMessage(QWidget* parent, const QString& title, const QString& text,
                     const QString& details) override;
    std::optional<QString> ChooseFile(QWidget* parent, const QString& startPath,
                                      const QString& filter) override;
    std::optional<QString> ChooseSaveFile(QWidget* parent, const QString& startPath,
                                          const QString& filter) override;
    bool Confirm(QWidget* parent, const QString& title, const QString& question) override;
    std::optional<QString> AskText(QWidget* parent, const QString& title, const QString& label,
                                   const QString& suggestion) override;

private:
    QTemporaryDir dialogSettings_;
};
