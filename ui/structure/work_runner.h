#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "ui/structure/job_control.h"

class QProgressBar;
class QProgressDialog;
class QWidget;

// Runs a window's long work (saving a report, searching the whole file) on
// a thread of its own, one piece of work at a time, so that the window keeps
// answering. Work that lasts shows a dialog of how far it has come, whose
// Cancel asks it to stop; what the work leaves to do with its result runs
// on the window's thread once it has ended. Destroying the runner (before
// the rest of its window) cancels the work and waits for its thread.
class WorkRunner : public QObject {
    Q_OBJECT

public:
    struct Job {
        QString title;        // the dialog's title
        std::uint64_t total;  // the `done` the work ends at; 0 when not known beforehand
        // The dialog's sentence for what is done so far.
        std::function<QString(std::uint64_t done)> progressText;
        // Runs on the runner's thread; it may throw nothing. What it returns
        // runs on the window's thread once it has ended.
        std::function<std::function<void()>(JobControl& control)> work;
    };

    explicit WorkRunner(QWidget* window);
    ~WorkRunner() override;

    // Starts `job`; false, doing nothing, while other work runs.
    bool Start(Job job);
    bool Busy() const { return busy_; }
    // Asks the work running to stop.
    void Cancel();

signals:
    // The work has ended and what it left to do has been done.
    void Ended();

private:
    void Poll();
    void Finish(const std::function<void()>& then);
    void CloseDialog();

    QWidget* window_;
    bool busy_ = false;
    std::shared_ptr<JobControl> control_;
    Job job_;
    std::thread thread_;
    QTimer poll_;
    QElapsedTimer clock_;
    QPointer<QProgressDialog> dialog_;
    QProgressBar* bar_ = nullptr;  // owned by the dialog
};
