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

#include "ui/widgets/job_control.h"

class QProgressBar;
class QProgressDialog;
class QWidget;

// Runs a window's long work (saving a report, searching the whole file,
// measuring the sound) on a thread of its own, one piece of work at a time,
// so that the window keeps answering. Work with a title that lasts shows a
// dialog of how far it has come, whose Cancel asks it to stop; work without
// one leaves showing its progress to the window, through Progressed. What
// the work leaves to do with its result runs on the window's thread once it
// has ended. Destroying the runner (before the rest of its window) cancels
// the work and waits for its thread.
class WorkRunner : public QObject {
    Q_OBJECT

public:
    struct Job {
        // The dialog's title; empty for work whose progress the window shows
        // itself, which gets neither the dialog nor the busy cursor.
        QString title;
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
    // Starts `job` in place of the work running, which is cancelled and
    // waited for, and whose result is dropped.
    void Replace(Job job);
    bool Busy() const { return busy_; }
    // Asks the work running to stop.
    void Cancel();

signals:
    // The work has ended and what it left to do has been done.
    void Ended();
    // How far the work has come, a few times a second while it runs.
    void Progressed(std::uint64_t done, std::uint64_t total);

private:
    void Launch(Job job);
    void Poll();
    void Finish(const std::function<void()>& then, std::uint64_t generation);
    void CloseDialog();

    QWidget* window_;
    bool busy_ = false;
    std::uint64_t generation_ = 0;  // counts the work started, so that replaced work's result is dropped
    std::shared_ptr<JobControl> control_;
    Job job_;
    std::thread thread_;
    QTimer poll_;
    QElapsedTimer clock_;
    QPointer<QProgressDialog> dialog_;
    QProgressBar* bar_ = nullptr;  // owned by the dialog
};
