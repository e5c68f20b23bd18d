#include "report/sound_measuring.h"

#include <new>

#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/wave_error.h"

namespace report {

SoundMeasured MeasureSound(const wavedoc::WaveDocument& document, const wavecheck::SoundClaims& claims,
                           const MeasureWatch& watch) {
    SoundMeasured outcome;
    try {
        const wavedoc::ReadingSession reading(document.Source());
        sound::MeasureOptions options;
        options.progress = watch.progress;
        options.cancel = watch.cancel;
        options.threads = watch.threads;
        options.overviewSoFar = watch.overviewSoFar;
        if (const sound::FormatVerdict verdict = sound::SampleFormatOf(document); verdict.format) {
            options.watch = wavecheck::ClaimedPeakFrames(document, claims, verdict.format->channels);
        }
        outcome.measured = std::make_shared<const sound::Measurement>(sound::Measure(document, options));
    } catch (const wavedoc::WaveDocError& error) {
        outcome.failure = error.what();
    } catch (const std::bad_alloc&) {
        outcome.failure = "The sound of \"" +
                          (document.Source() != nullptr ? document.Source()->DisplayName() : "") +
                          "\" could not be measured: there is not enough memory.";
    }
    return outcome;
}

std::optional<wavecheck::MeasuredSound> ComparedFigures(const sound::Measurement& measured) {
    if (!measured.Measured()) return std::nullopt;
    wavecheck::MeasuredSound figures;
    if (measured.loudness) {
        const sound::Loudness& loudness = *measured.loudness;
        // A range from too few blocks to judge is not held against a stored one.
        figures.loudness = wavecheck::MeasuredSound::Loudness{
            loudness.integrated, loudness.rangeJudged ? loudness.range : std::nullopt, loudness.truePeak,
            loudness.maxMomentary, loudness.maxShortTerm};
    }
    switch (measured.format.encoding) {
        case sound::Encoding::Integer:
            figures.coding = wavecheck::SampleCoding::Integer;
            break;
        case sound::Encoding::Float:
            figures.coding = wavecheck::SampleCoding::Float;
            break;
        case sound::Encoding::ALaw:
        case sound::Encoding::MuLaw:
            figures.coding = wavecheck::SampleCoding::Companded;
            break;
    }
    figures.sampleBytes = measured.format.bytes;
    figures.frames = measured.frames;
    figures.whole = !measured.stopped && measured.framesRead == measured.frames;
    for (std::size_t c = 0; c < measured.channels.size(); ++c) {
        const sound::ChannelFigures& channel = measured.channels[c];
        const sound::NotFinite notFinite =
            c < measured.notFinite.size() ? measured.notFinite[c] : sound::NotFinite{};
        figures.channels.push_back({channel.peak, channel.peakFrame,
                                    c < measured.watched.size() ? measured.watched[c] : 0.0F,
                                    notFinite.notANumber, notFinite.infinite, notFinite.firstFrame});
    }
    return figures;
}

CheckedFile FinishCheck(wavecheck::FileCheck& check, const wavedoc::WaveDocument& document,
                        const MeasureWatch* measuring) {
    CheckedFile checked;
    std::optional<wavecheck::MeasuredSound> compared;
    std::string failure;
    if (measuring != nullptr) {
        SoundMeasured sound = MeasureSound(document, check.Claims(), *measuring);
        if (sound.measured) compared = ComparedFigures(*sound.measured);
        checked.measured = std::move(sound.measured);
        failure = std::move(sound.failure);
    }
    checked.findings = check.Finish(document, compared ? &*compared : nullptr);
    if (checked.findings.Finished()) checked.findings.unfinished = std::move(failure);
    return checked;
}

}  // namespace report
