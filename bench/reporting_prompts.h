#pragma once

#include <cstdio>
#include <optional>

#include "ui/widgets/user_prompts.h"

// The prompts of a window measured offscreen: there is no dialog to answer,
// so each message goes to stderr and is counted.
class ReportingPrompts : public UserPrompts {
public:
    void ShowMessage(QWidget*, const QString& title, const QString& text, const QString& details) override {
        ++messages_;
        std::fprintf(stderr, "message: %s: %s %s\n", qUtf8Printable(title), qUtf8Printable(text),
                     qUtf8Printable(details));
    }
    std::optional<QString> ChooseFile(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }

    int Messages() const { return messages_; }

private:
    int messages_ = 0;
};
