#include "ui/structure/report_save_run.h"

#include "report/analysis.h"
#include "text/display_text.h"
#include "ui/widgets/work_runner.h"

bool StartReportSave(WorkRunner& runner, const report::Analysis& analysis, const std::string& destination,
                     std::function<void(const SaveOutcome&)> saved) {
    WorkRunner::Job job{
        .title = QObject::tr("Save Report"),
        .total = 0,
        .progressText =
            [](std::uint64_t written) {
                return QObject::tr("Saving the report: %1 bytes written.")
                    .arg(QString::fromStdString(text::GroupedThousands(written)));
            },
        // The analysis is shared, not copied: the thread keeps it alive
        // whatever becomes of the window.
        .work = [analysis, destination,
                 saved = std::move(saved)](JobControl& control) -> std::function<void()> {
            SaveOutcome outcome = SaveReport(analysis, destination, &control);
            return [saved, outcome = std::move(outcome)] { saved(outcome); };
        },
    };
    return runner.Start(std::move(job));
}
