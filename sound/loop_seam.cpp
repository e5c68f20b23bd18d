#include "sound/loop_seam.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "sound/measure.h"
#include "sound/sample_decoder.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/riff_layout.h"

namespace sound {
namespace {

// Frames [first, first + count) of the audio, decoded.
std::vector<float> FramesAt(const wavedoc::WaveDocument& document, const SampleFormat& format,
                            std::uint64_t first, std::uint64_t count) {
    const std::uint64_t frameBytes = format.FrameBytes();
    const std::string bytes = document.Source()->Read(
        document.Data().Offset() + wavedoc::layout::kChunkHeaderSize + first * frameBytes,
        count * frameBytes);
    std::vector<float> samples(static_cast<std::size_t>(bytes.size() / frameBytes) * format.channels);
    DecodeFrames(format, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size() / frameBytes,
                 samples.data());
    return samples;
}

// The samples read for a seam at most: a file of very many channels gets
// fewer frames each side.
constexpr std::uint64_t kMostSamples = 1 << 16;

}  // namespace

std::optional<LoopSeam> LoopSeamOf(const wavedoc::WaveDocument& document, const Marker& loop,
                                   std::uint64_t side) {
    const FormatVerdict verdict = SampleFormatOf(document);
    if (!verdict.format || !loop.end || document.Source() == nullptr) return std::nullopt;
    const SampleFormat& format = *verdict.format;
    const std::uint64_t frames = FramesOf(document, format);
    const std::uint64_t last = *loop.end;
    if (loop.start > last || last >= frames) return std::nullopt;
    const std::uint64_t length = last - loop.start + 1;
    side = std::min(side, std::max<std::uint64_t>(1, kMostSamples / 2 / format.channels));
    LoopSeam seam;
    seam.channels = format.channels;
    seam.before = std::min(side, length);
    seam.after = std::min(side, length);
    seam.samples = FramesAt(document, format, last + 1 - seam.before, seam.before);
    const std::vector<float> start = FramesAt(document, format, loop.start, seam.after);
    seam.samples.insert(seam.samples.end(), start.begin(), start.end());
    if (seam.samples.size() != (seam.before + seam.after) * format.channels) return std::nullopt;
    for (unsigned c = 0; c < format.channels; ++c) {
        const double from = seam.samples[(seam.before - 1) * format.channels + c];
        const double to = seam.samples[seam.before * format.channels + c];
        const double step = std::fabs(to - from);
        seam.stepDecibels.push_back(step > 0 ? 20 * std::log10(step)
                                             : -std::numeric_limits<double>::infinity());
    }
    return seam;
}

}  // namespace sound
