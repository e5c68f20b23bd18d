#include "ui/structure/report_save_run.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

#include "report/analysis.h"
#include "text/display_text.h"

namespace {

// How often the dialog shows how far the save has come.
constexpr int kProgressMilliseconds = 100;
// A save quicker than this shows no dialog at all.
constexpr int kDialogDelayMilliseconds = 500;

QString WrittenText(std::uint64_t written) {
    return QObject::tr("Saving the report: %1 bytes written.")
        .arg(QString::fromStdString(GroupedThousands(written)));
}

}  // namespace

SaveOutcome SaveReportShowingProgress(QWidget* window, const report::Analysis& analysis,
                                      const std::string& destination) {
    // One save at a time: the window takes no second one while the first runs.
    static bool saving = false;
    if (saving) return {.cancelled = true, .problem = std::nullopt};
    saving = true;
    const struct Done {
        ~Done() { saving = false; }
    } done;
    // Shared with the thread, which may outlive nothing here: it is joined
    // before this returns.
    auto control = std::make_shared<SaveControl>();
    auto outcome = std::make_shared<SaveOutcome>();
    auto finished = std::make_shared<std::atomic<bool>>(false);
    QEventLoop waiting;
    std::thread saver;
    try {
        saver = std::thread([analysis, destination, control, outcome, finished, &waiting] {
            *outcome = SaveReport(analysis, destination, control.get());
            finished->store(true);
            // `waiting` lives until this thread is joined.
            QMetaObject::invokeMethod(&waiting, &QEventLoop::quit, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the window waits for the save instead.
        return SaveReport(analysis, destination, control.get());
    }

    // The dialog is made only for a save that lasts: making it costs the
    // window more than a quick save takes.
    std::unique_ptr<QProgressDialog> progress;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setInterval(kProgressMilliseconds);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (finished->load()) {
            waiting.quit();
            return;
        }
        if (!progress && clock.elapsed() >= kDialogDelayMilliseconds) {
            progress = std::make_unique<QProgressDialog>(WrittenText(0), QObject::tr("Cancel"), 0, 0, window);
            progress->setWindowTitle(QObject::tr("Save Report"));
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(0);
            progress->setAutoClose(false);
            progress->setAutoReset(false);
            QObject::connect(progress.get(), &QProgressDialog::canceled,
                             [control] { control->cancel.store(true); });
            progress->show();
        }
        if (progress) progress->setLabelText(WrittenText(control->written.load()));
    });
    poll.start();
    if (!finished->load()) waiting.exec();
    poll.stop();
    saver.join();
    if (progress) progress->close();
    return *outcome;
}
