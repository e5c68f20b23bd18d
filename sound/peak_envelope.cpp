#include "sound/peak_envelope.h"

#include <algorithm>
#include <string>

#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/riff_layout.h"

namespace sound {
namespace {

constexpr std::uint64_t kHeader = 120;
constexpr std::uint64_t kMostRead = 64 * 1024;
// An envelope is read as the window opens: a longer one is left to the pass.
constexpr std::uint64_t kMostEnvelopeBytes = 4 << 20;

std::uint32_t Field(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return value;
}

}  // namespace

std::optional<Overview> PeakEnvelopeOf(const wavedoc::WaveDocument& document, std::size_t buckets) {
    const FormatVerdict verdict = SampleFormatOf(document);
    if (!verdict.format || document.Source() == nullptr) return std::nullopt;
    const wavedoc::MapEntry* levl = nullptr;
    for (const wavedoc::MapEntry& entry : document.Structure().entries) {
        if (entry.depth == 0 && entry.IsChunk() && std::string_view(entry.id) == "levl") {
            levl = &entry;
            break;
        }
    }
    if (levl == nullptr || levl->present < kHeader) return std::nullopt;
    const wavedoc::ReadingSession session(document.Source());
    const std::uint64_t content = levl->offset + wavedoc::layout::kChunkHeaderSize;
    const std::string header = document.Source()->Read(content, kHeader);
    if (header.size() < kHeader) return std::nullopt;
    const std::uint32_t valueBytes = Field(header, 4);  // 1: 8-bit values, 2: 16-bit
    const std::uint32_t points = Field(header, 8);      // 1: positive peaks alone, 2: both
    const std::uint32_t blockSize = Field(header, 12);
    const std::uint32_t channels = Field(header, 16);
    const std::uint32_t peakFrames = Field(header, 20);
    const std::uint32_t offsetToPeaks = Field(header, 28);  // from the chunk's header
    if ((valueBytes != 1 && valueBytes != 2) || (points != 1 && points != 2) || blockSize == 0 ||
        channels != verdict.format->channels || peakFrames == 0 ||
        offsetToPeaks < wavedoc::layout::kChunkHeaderSize) {
        return std::nullopt;
    }
    const std::uint64_t frameBytes = std::uint64_t{valueBytes} * points * channels;
    const std::uint64_t first = levl->offset + offsetToPeaks;
    const std::uint64_t end = content + levl->present;
    if (first >= end) return std::nullopt;
    const std::uint64_t held = std::min<std::uint64_t>(peakFrames, (end - first) / frameBytes);
    if (held == 0 || held * frameBytes > kMostEnvelopeBytes) return std::nullopt;
    const double fullScale = valueBytes == 1 ? 128.0 : 32768.0;

    Overview overview;
    overview.channels = channels;
    // The blocks' frames, so that each bucket starts where its blocks do.
    overview.frames = held * blockSize;
    const std::size_t most = std::max<std::size_t>(1, kMostOverviewValues / channels);
    overview.buckets = static_cast<std::size_t>(std::min<std::uint64_t>({held, buckets, most}));
    overview.values.assign(overview.buckets * channels, Bucket{});
    // Peak frame p goes to bucket p * buckets / held; read in bounded pieces.
    const std::uint64_t perPiece = std::max<std::uint64_t>(1, kMostRead / frameBytes);
    for (std::uint64_t p = 0; p < held; p += perPiece) {
        const std::uint64_t count = std::min(perPiece, held - p);
        const std::string bytes = document.Source()->Read(first + p * frameBytes, count * frameBytes);
        for (std::uint64_t k = 0; k < count && (k + 1) * frameBytes <= bytes.size(); ++k) {
            const auto b = static_cast<std::size_t>((p + k) * overview.buckets / held);
            for (std::uint32_t c = 0; c < channels; ++c) {
                const std::size_t at =
                    static_cast<std::size_t>(k * frameBytes + std::uint64_t{c} * points * valueBytes);
                const auto value = [&](std::size_t i) {
                    const auto low = static_cast<unsigned char>(bytes[at + i * valueBytes]);
                    const unsigned high =
                        valueBytes == 2 ? static_cast<unsigned char>(bytes[at + i * valueBytes + 1]) : 0U;
                    return static_cast<float>((low | high << 8) / fullScale);
                };
                const float positive = std::min(value(0), 1.0F);
                const float negative = points == 2 ? -std::min(value(1), 1.0F) : -positive;
                Bucket& bucket = overview.values[c * overview.buckets + b];
                bucket.max = std::max(bucket.max, positive);
                bucket.min = std::min(bucket.min, negative);
            }
        }
    }
    return overview;
}

}  // namespace sound
