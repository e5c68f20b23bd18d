#include "diff/audio_compare.h"

#include <algorithm>

#include "diff/byte_compare.h"
#include "sound/sample_format.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/riff_layout.h"

namespace diff {

namespace {

bool SameLayout(const AudioSide& a, const AudioSide& b) {
    return a.format == b.format && a.channels == b.channels && a.frameBytes == b.frameBytes &&
           a.sampleRate == b.sampleRate;
}

}  // namespace

AudioSide AudioSideOf(const wavedoc::WaveDocument& document) {
    AudioSide side;
    const wavedoc::GenericChunk& data = document.Data();
    if (data.Name().empty()) return side;
    side.present = true;
    side.offset = data.Offset() + wavedoc::layout::kChunkHeaderSize;
    side.bytes = data.Present();
    side.bigEndian = document.Order() == wavedoc::ByteOrder::Big;
    const sound::FormatVerdict verdict = sound::SampleFormatOf(document);
    const wavedoc::FmtChunk& fmt = document.Fmt();
    if (verdict.format) {
        side.format = verdict.format->Name();
        side.sampleBytes = verdict.format->bytes;
        side.frameBytes = verdict.format->FrameBytes();
        side.channels = verdict.format->channels;
        side.sampleRate = verdict.format->sampleRate;
    } else if (!fmt.Name().empty() && fmt.Present() >= wavedoc::layout::kFormatFields) {
        side.format = fmt.CompressionName();
        side.frameBytes = static_cast<std::uint16_t>(fmt.BytesPerSample());
        side.channels = static_cast<std::uint16_t>(fmt.ChannelCount());
        side.sampleRate = static_cast<std::uint32_t>(fmt.SampleRate());
    }
    side.frames = side.frameBytes > 0 ? side.bytes / side.frameBytes : 0;
    return side;
}

AudioDiff CompareAudio(const wavedoc::WaveDocument& a, const wavedoc::WaveDocument& b) {
    AudioDiff audio;
    audio.a = AudioSideOf(a);
    audio.b = AudioSideOf(b);
    if (!audio.a.present && !audio.b.present) {
        audio.verdict = AudioVerdict::NoAudio;
        return audio;
    }
    if (audio.a.present != audio.b.present) {
        audio.verdict = AudioVerdict::Unlike;
        return audio;
    }
    if (!SameLayout(audio.a, audio.b)) {
        const bool sameTime = audio.a.frames == audio.b.frames && audio.a.sampleRate == audio.b.sampleRate &&
                              audio.a.channels == audio.b.channels;
        audio.verdict = sameTime ? AudioVerdict::OtherFormat : AudioVerdict::Unlike;
        return audio;
    }
    // Samples of more than one byte are stored the other way round in RIFX.
    audio.acrossByteOrders = audio.a.bigEndian != audio.b.bigEndian && audio.a.sampleBytes > 1;
    // Whole frames are compared: bytes after the last one are no sound.
    const std::uint64_t frames = std::min(audio.a.frames, audio.b.frames);
    const std::uint64_t length =
        audio.a.frameBytes > 0 ? frames * audio.a.frameBytes : std::min(audio.a.bytes, audio.b.bytes);
    const std::optional<std::uint64_t> first =
        FirstDifference(*a.Source(), audio.a.offset, *b.Source(), audio.b.offset, length, audio.a.frameBytes,
                        audio.acrossByteOrders ? audio.a.sampleBytes : 1);
    if (first) {
        audio.verdict = AudioVerdict::Differs;
        audio.firstFrame = audio.a.frameBytes > 0 ? *first / audio.a.frameBytes : *first;
        if (audio.a.sampleRate > 0) {
            audio.firstSecond = static_cast<double>(*audio.firstFrame) / audio.a.sampleRate;
        }
    } else {
        const bool sameLength =
            audio.a.frameBytes > 0 ? audio.a.frames == audio.b.frames : audio.a.bytes == audio.b.bytes;
        audio.verdict = sameLength ? AudioVerdict::Identical : AudioVerdict::LengthDiffers;
    }
    return audio;
}

}  // namespace diff
