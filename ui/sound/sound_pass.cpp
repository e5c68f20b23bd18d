#include "ui/sound/sound_pass.h"

#include <algorithm>
#include <new>
#include <thread>

#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/wave_error.h"

void OverviewSoFar::Put(const sound::Overview& sofar) {
    const std::lock_guard<std::mutex> lock(mutex_);
    newest_ = sofar;
}

std::optional<sound::Overview> OverviewSoFar::Take() {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::optional<sound::Overview> newest = std::move(newest_);
    newest_.reset();
    return newest;
}

WholeSound MeasureWhole(const wavedoc::WaveDocument& document, const wavecheck::SoundClaims& claims,
                        JobControl& control, OverviewSoFar& sofar) {
    const report::MeasureWatch watch{
        .progress =
            [&control](std::uint64_t done, std::uint64_t total) {
                control.total.store(total);
                control.done.store(done);
            },
        .cancel = &control.cancel,
        .overviewSoFar = [&sofar](const sound::Overview& overview) { sofar.Put(overview); },
        // The window's pass may use the processors: the window waits on nothing else.
        .threads = std::max(1U, std::thread::hardware_concurrency())};
    WholeSound whole{report::MeasureSound(document, claims, watch), {}};
    if (whole.sound.measured) {
        if (const std::optional<wavecheck::MeasuredSound> figures =
                report::ComparedFigures(*whole.sound.measured)) {
            whole.compared = wavecheck::CheckMeasured(document, claims, *figures);
        }
    }
    return whole;
}

std::optional<sound::Overview> MeasureStretch(const wavedoc::WaveDocument& document, std::uint64_t first,
                                              std::uint64_t count, std::size_t buckets, JobControl& control) {
    sound::MeasureOptions options;
    options.firstFrame = first;
    options.frameCount = count;
    options.buckets = buckets;
    options.loudness = false;
    options.cancel = &control.cancel;
    try {
        const wavedoc::ReadingSession reading(document.Source());
        sound::Measurement measured = sound::Measure(document, options);
        if (!measured.stopped) return std::move(measured.overview);
    } catch (const wavedoc::WaveDocError&) {
    } catch (const std::bad_alloc&) {
    }
    return std::nullopt;
}
