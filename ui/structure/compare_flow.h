#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>

#include "diff/diff.h"
#include "report/analysis.h"

class QCheckBox;
class QDialog;
class QTreeWidget;
class QWidget;
class UserPrompts;
class WorkRunner;

// File > Compare With… of a structure window: the user picks another file,
// the two are compared on the window's runner (ondulo-dump --diff's
// comparison), and a window of its own shows both files' entries side by
// side, each marked added, dropped, moved, changed or the same, a changed
// entry's fields and records under it with both values and both byte
// ranges, a filter for the changes only, and what the audio comes to: where
// it first differs, when it does. Selecting a line selects its bytes of this
// file in the structure window.
class CompareFlow : public QObject {
    Q_OBJECT

public:
    // `window` parents the result and the messages; `prompts` and `runner`
    // must outlive the flow's use of them.
    CompareFlow(QWidget* window, const report::Analysis& analysis, UserPrompts& prompts, WorkRunner& runner);

    // Asks for the other file and compares the two in the background; does
    // nothing while the runner has other work.
    void Start();

signals:
    // A line was selected: where its bytes lie in this file.
    void BytesChosen(std::uint64_t offset, std::uint64_t length);

private:
    void Show(const diff::Diff& diff);
    void FillTree(const diff::Diff& diff);

    QWidget* window_;
    report::Analysis analysis_;
    UserPrompts& prompts_;
    WorkRunner& runner_;
    QPointer<QDialog> result_;
    QTreeWidget* tree_ = nullptr;       // owned by result_
    QCheckBox* changesOnly_ = nullptr;  // owned by result_
};
