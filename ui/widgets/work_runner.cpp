#include "ui/widgets/work_runner.h"

#include <QMetaObject>
#include <QProgressBar>
#include <QProgressDialog>
#include <QWidget>
#include <algorithm>
#include <system_error>

namespace {

// How often the dialog shows how far the work has come.
constexpr int kPollMilliseconds = 100;
// Work quicker than this shows no dialog at all: making it costs the window
// more than quick work takes.
constexpr int kDialogDelayMilliseconds = 500;
// The steps of the bar when the work's total is known.
constexpr int kBarSteps = 1000;

}  // namespace

WorkRunner::WorkRunner(QWidget* window) : QObject(window), window_(window) {
    setObjectName(QStringLiteral("workRunner"));
    poll_.setInterval(kPollMilliseconds);
    connect(&poll_, &QTimer::timeout, this, &WorkRunner::Poll);
}

WorkRunner::~WorkRunner() {
    if (control_) control_->cancel.store(true);
    if (thread_.joinable()) thread_.join();
    delete dialog_.data();
}

bool WorkRunner::Start(Job job) {
    if (busy_) return false;
    Launch(std::move(job));
    return true;
}

void WorkRunner::Replace(Job job) {
    if (busy_) {
        control_->cancel.store(true);
        if (thread_.joinable()) thread_.join();
        poll_.stop();
        CloseDialog();
        if (!job_.title.isEmpty()) window_->unsetCursor();
        busy_ = false;
    }
    Launch(std::move(job));
}

void WorkRunner::Launch(Job job) {
    busy_ = true;
    const std::uint64_t generation = ++generation_;
    control_ = std::make_shared<JobControl>();
    control_->total.store(job.total);
    auto work = std::move(job.work);
    job_ = std::move(job);
    if (!job_.title.isEmpty()) window_->setCursor(Qt::BusyCursor);
    try {
        // The control is shared, so the thread never reads one already freed;
        // `this` outlives the thread, which the destructor joins.
        thread_ = std::thread([this, work, control = control_, generation] {
            std::function<void()> then = work(*control);
            QMetaObject::invokeMethod(
                this, [this, then, generation] { Finish(then, generation); }, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the window waits for the work instead.
        Finish(work(*control_), generation);
        return;
    }
    clock_.start();
    poll_.start();
}

void WorkRunner::Cancel() {
    if (control_) control_->cancel.store(true);
}

void WorkRunner::Poll() {
    if (!busy_) return;
    const std::uint64_t done = control_->done.load();
    const std::uint64_t total = control_->total.load();
    emit Progressed(done, total);
    if (dialog_ == nullptr && !job_.title.isEmpty() && clock_.elapsed() >= kDialogDelayMilliseconds) {
        dialog_ = new QProgressDialog(window_);
        dialog_->setWindowTitle(job_.title);
        dialog_->setCancelButtonText(tr("Cancel"));
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        // The bar is set here, not through the dialog, whose setValue runs
        // the event loop of a modal dialog from inside this call.
        bar_ = new QProgressBar(dialog_);
        bar_->setRange(0, total > 0 ? kBarSteps : 0);
        dialog_->setBar(bar_);
        connect(dialog_, &QProgressDialog::canceled, this, &WorkRunner::Cancel);
        dialog_->show();
    }
    if (dialog_ == nullptr) return;
    dialog_->setLabelText(job_.progressText(done));
    if (total > 0) {
        const double share = static_cast<double>(std::min(done, total)) / static_cast<double>(total);
        bar_->setValue(static_cast<int>(share * kBarSteps));
    }
}

void WorkRunner::Finish(const std::function<void()>& then, std::uint64_t generation) {
    // Work replaced meanwhile was waited for then, and its result is dropped.
    if (generation != generation_) return;
    poll_.stop();
    if (thread_.joinable()) thread_.join();
    CloseDialog();
    if (!job_.title.isEmpty()) window_->unsetCursor();
    busy_ = false;
    if (then) then();
    emit Ended();
}

void WorkRunner::CloseDialog() {
    if (dialog_ == nullptr) return;
    dialog_->hide();
    dialog_->deleteLater();
    dialog_ = nullptr;
    bar_ = nullptr;
}
