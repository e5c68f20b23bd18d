#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <string>

#include "mend/mend.h"
#include "report/analysis.h"

class QDialog;
class QLabel;
class QTableView;
class QWidget;
class UserPrompts;
class WorkRunner;

// Saving a mended copy of the file a structure window shows: the plan first,
// in a window of its own whose lines select their bytes in the structure
// window; then, asked for, the copy written on the window's runner with its
// progress and Cancel; last, a sentence naming the copy, the size of its
// audio and that its SHA-256 is the file's, and the offer to open the copy.
class MendFlow : public QObject {
    Q_OBJECT

public:
    // `window` parents the plan and the messages; `prompts` and `runner`
    // must outlive the flow's use of them.
    MendFlow(QWidget* window, const report::Analysis& analysis, UserPrompts& prompts, WorkRunner& runner);

    // Plans the mend and shows the plan, or says why there is nothing to
    // mend or no copy can be made.
    void ShowPlan();
    // Asks where the copy goes and writes it there in the background; false,
    // doing nothing, while the runner has other work.
    bool SaveCopy();

signals:
    // A line of the plan was selected: the bytes it concerns (a length of 0
    // for one place).
    void BytesChosen(std::uint64_t offset, std::uint64_t length);
    // The user asked to see the mended copy in a structure window of its own.
    void CopyToOpen(const QString& path);
    // A sentence for the window's status bar.
    void Said(const QString& sentence);

private:
    void BuildPlanWindow();
    void Written(const QString& destination, const mend::WriteResult& result, const mend::Recheck& recheck);

    QWidget* window_;
    report::Analysis analysis_;
    UserPrompts& prompts_;
    WorkRunner& runner_;
    mend::Plan plan_;
    QPointer<QDialog> planWindow_;
};
