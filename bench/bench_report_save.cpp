// What saving the structure window's report costs, from the window's side:
// analyses PATH, opens the structure window offscreen and saves its report
// to DESTINATION (JSON when it ends in .json) through File > Save report,
// while an event posted from another thread every 10 ms measures how long
// the window's event loop takes to answer. Prints the save's milliseconds, the longest the window
// did not answer, the resident memory before the save and the peak of the
// whole process after it, and the size of the report written. Meant for
// bench/hostile_costs.sh.
//
//   build/default/bench/bench_report_save PATH DESTINATION
//
// Exit status: 0 when saved, 1 when the file was refused or the save failed,
// 2 for wrong usage.
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "answer_probe.h"
#include "report/analysis.h"
#include "reporting_prompts.h"
#include "ui/structure/frm_structure.h"
#include "ui/widgets/work_runner.h"

namespace {

// A line of /proc/self/status in KB: VmRSS (now) or VmHWM (the peak).
long StatusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::string(key).size()));
    }
    return -1;
}

// Answers the save dialog with the destination given.
class SavingPrompts : public ReportingPrompts {
public:
    explicit SavingPrompts(QString destination) : destination_(std::move(destination)) {}
    std::optional<QString> ChooseSaveFile(QWidget*, const QString&, const QString&) override {
        return destination_;
    }

private:
    QString destination_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PATH DESTINATION\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SavingPrompts prompts(QString::fromLocal8Bit(argv[2]));

    const report::Analysis analysis = report::Analyse(argv[1]);
    if (!analysis.Loaded()) {
        std::fprintf(stderr, "refused: %s\n", analysis.error.c_str());
        return 1;
    }
    frmStructure window(analysis, prompts);
    window.show();
    QApplication::processEvents();

    auto* save = window.findChild<QAction*>(QStringLiteral("mSaveReport"));
    const long before = StatusKb("VmRSS:");
    QElapsedTimer clock;
    clock.start();
    // An event posted from another thread every 10 ms, as input would come:
    // the offscreen platform runs the window's own timers late even when idle.
    AnswerProbe probe;
    save->trigger();
    // The save runs on the window's runner: the window waits for it as a user would.
    const auto* runner = window.findChild<WorkRunner*>(QStringLiteral("workRunner"));
    while (runner != nullptr && runner->Busy()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const long long longest = probe.Stop();
    const qint64 saving = clock.elapsed();
    struct stat written {};
    const long long size = ::stat(argv[2], &written) == 0 ? static_cast<long long>(written.st_size) : -1;
    std::printf(
        "save %lld ms; window unanswered at most %lld ms; resident %ld KB before, peak %ld KB; report %lld "
        "bytes\n",
        static_cast<long long>(saving), longest, before, StatusKb("VmHWM:"), size);
    return prompts.Messages() == 0 && size > 0 ? 0 : 1;
}
