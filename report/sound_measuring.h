#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "sound/measure.h"
#include "wavecheck/findings.h"

namespace wavedoc {
class WaveDocument;
}

// The measuring pass over an analysed file, and what of it the check
// compares with the file's claims: one routine for ondulo-dump's analysis
// and the sound view, which measures the analysis its window holds.
namespace report {

// How a measuring pass is watched: its progress (bytes read of how many, a
// few times a second at most) and a flag another thread sets to stop it.
struct MeasureWatch {
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
    const std::atomic<bool>* cancel = nullptr;
    // Told the overview read so far with the progress (sound::MeasureOptions::overviewSoFar).
    std::function<void(const sound::Overview& sofar)> overviewSoFar;
    // How many processors the pass may keep busy (sound::MeasureOptions::threads).
    unsigned threads = 1;
};

// The sound of an analysed file as measured, or why it could not be.
struct SoundMeasured {
    // Null when the pass could not run (the file changed, no memory).
    std::shared_ptr<const sound::Measurement> measured;
    // Why not, one sentence naming the file; empty when it ran.
    std::string failure;
};

// Measures the whole sound of a loaded document in one pass, noting the
// samples where the file's PEAK chunk says the peaks lie. Nothing it meets
// in the file escapes as an exception.
SoundMeasured MeasureSound(const wavedoc::WaveDocument& document, const wavecheck::SoundClaims& claims,
                           const MeasureWatch& watch);

// The figures of a measurement the check compares the claims with; nothing
// when the audio was not measured.
std::optional<wavecheck::MeasuredSound> ComparedFigures(const sound::Measurement& measured);

// What finishing the check of a file came to, its sound measured first
// when asked.
struct CheckedFile {
    wavecheck::Findings findings;
    std::shared_ptr<const sound::Measurement> measured;  // null when not asked, or the pass could not run
};

// Finishes `check`, which watched the document load. With `measuring`, the
// sound is measured first (one pass) and the file's claims about it compared
// with it; a pass that could not run leaves the findings unfinished, saying why.
CheckedFile FinishCheck(wavecheck::FileCheck& check, const wavedoc::WaveDocument& document,
                        const MeasureWatch* measuring);

}  // namespace report
