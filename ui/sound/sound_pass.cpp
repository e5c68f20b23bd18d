#include "ui/sound/sound_pass.h"

#include <new>

#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/wave_error.h"

WholeSound MeasureWhole(const wavedoc::WaveDocument& document, const wavecheck::SoundClaims& claims,
                        JobControl& control) {
    const report::MeasureWatch watch{.progress =
                                         [&control](std::uint64_t done, std::uint64_t total) {
                                             control.total.store(total);
                                             control.done.store(done);
                                         },
                                     .cancel = &control.cancel};
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
