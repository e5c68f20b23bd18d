#pragma once

#include "ui/widgets/user_prompts.h"

// The prompts as real Qt dialogs.
class QtUserPrompts : public UserPrompts {
public:
    void ShowMessage(QWidget* parent, const QString& title, const QString& text,
                     const QString& details) override;
    std::optional<QString> ChooseFile(QWidget* parent, const QString& startPath,
                                      const QString& filter) override;
    std::optional<QString> ChooseSaveFile(QWidget* parent, const QString& startPath,
                                          const QString& filter) override;
    std::optional<QString> AskText(QWidget* parent, const QString& title, const QString& label,
                                   const QString& suggestion) override;
};
