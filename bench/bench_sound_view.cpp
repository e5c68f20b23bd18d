// The sound view on one file, offscreen: how long after the load its first
// paint comes (the ruler and markers, and the overview when a levl envelope
// gives it at once), how long the measuring pass takes to show the whole
// overview, and the longest the window goes without answering meanwhile.
// Usage: bench_sound_view PATH
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <cstdio>

#include "bench/window_program.h"
#include "report/analysis.h"
#include "sound/peak_envelope.h"
#include "ui/sound/sound_view.h"
#include "ui/sound/waveform_canvas.h"

namespace {

// Notes when the canvas is first painted.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(const QElapsedTimer& clock) : clock_(clock) {}
    qint64 milliseconds = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && milliseconds < 0) milliseconds = clock_.elapsed();
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer& clock_;
};

}  // namespace

int main(int argc, char** argv) {
    if (!TakeOnePathOffscreen(argc, argv)) return 2;
    QApplication app(argc, argv);
    const report::Analysis analysis = report::Analyse(argv[1]);
    if (!analysis.Loaded()) {
        std::fprintf(stderr, "refused: %s\n", analysis.error.c_str());
        return 1;
    }
    const bool envelope = sound::PeakEnvelopeOf(*analysis.document).has_value();
    QElapsedTimer clock;
    clock.start();
    SoundView view(analysis);
    FirstPaint firstPaint(clock);
    view.Canvas()->installEventFilter(&firstPaint);
    view.resize(1200, 400);
    view.show();
    qint64 longestPause = 0;
    qint64 last = clock.elapsed();
    while (firstPaint.milliseconds < 0 || view.Measuring() || view.Figures().endsWith(QChar(0x2026))) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        const qint64 now = clock.elapsed();
        longestPause = std::max(longestPause, now - last);
        last = now;
        if (now > 600000) break;
    }
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "first paint %lld ms after the load (overview from a levl envelope: %s); whole overview "
        "after %lld ms; longest pause %lld ms; peak %ld KB\n",
        static_cast<long long>(firstPaint.milliseconds), envelope ? "yes" : "no",
        static_cast<long long>(clock.elapsed()), static_cast<long long>(longestPause), usage.ru_maxrss);
    return 0;
}
