#pragma once

#include <cstdint>
#include <mutex>
#include <optional>

#include "report/sound_measuring.h"
#include "sound/measure.h"
#include "ui/widgets/job_control.h"
#include "wavecheck/findings.h"

// The sound view's passes over the audio of the analysis its window holds,
// each run on the window's work runner: first the whole sound, measured once
// and the file's claims compared with it; then, as the view zooms, the
// overview of the frames shown. Both read through the analysis's own source,
// stop when the control is cancelled, and say how far they have come.

// The overview a pass has read so far, handed from the pass's thread to
// the window's, which draws it while the pass goes on.
class OverviewSoFar {
public:
    void Put(const sound::Overview& sofar);
    // The newest overview put, once; nothing when none came since.
    std::optional<sound::Overview> Take();

private:
    std::mutex mutex_;
    std::optional<sound::Overview> newest_;
};

// The whole sound as measured, and the claims compared with it
// (loudness-mismatch, peak-mismatch).
struct WholeSound {
    report::SoundMeasured sound;
    wavecheck::Findings compared;
};
WholeSound MeasureWhole(const wavedoc::WaveDocument& document, const wavecheck::SoundClaims& claims,
                        JobControl& control, OverviewSoFar& sofar);

// The overview of frames [first, first + count) in `buckets`; nothing when
// cancelled or when the file can no longer be read.
std::optional<sound::Overview> MeasureStretch(const wavedoc::WaveDocument& document, std::uint64_t first,
                                              std::uint64_t count, std::size_t buckets, JobControl& control);
