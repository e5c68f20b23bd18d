#include "sound/peak_envelope.h"

#include <algorithm>
#include <string>

#include "formats/levl_layout.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/field_reader.h"
#include "wavedoc/reading/riff_layout.h"

namespace sound {
namespace {

constexpr std::uint64_t kMostRead = 64 * 1024;
// An envelope is read as the window opens: a longer one is left to the pass.
constexpr std::uint64_t kMostEnvelopeBytes = 4 << 20;

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
    namespace levl_layout = formats::levl;
    if (levl == nullptr || levl->present < levl_layout::kHeaderSize) return std::nullopt;
    const wavedoc::ReadingSession session(document.Source());
    const std::uint64_t content = levl->offset + wavedoc::layout::kChunkHeaderSize;
    std::string header = document.Source()->Read(content, levl_layout::kHeaderSize);
    if (header.size() < levl_layout::kHeaderSize) return std::nullopt;
    // The header and the peak values are in the file's byte order, as the
    // chunk's rows read them.
    const wavedoc::ByteOrder order = document.Order();
    const wavedoc::FieldReader fields(std::move(header), wavedoc::OwnerName{"levl"}, order);
    const std::uint32_t valueBytes = fields.Unsigned32(levl_layout::kFormat);  // 1: 8-bit values, 2: 16-bit
    const std::uint32_t points =
        fields.Unsigned32(levl_layout::kPointsPerValue);  // 1: positive alone, 2: both
    const std::uint32_t blockSize = fields.Unsigned32(levl_layout::kBlockSize);
    const std::uint32_t channels = fields.Unsigned32(levl_layout::kPeakChannels);
    const std::uint32_t peakFrames = fields.Unsigned32(levl_layout::kPeakFrames);
    const std::uint32_t offsetToPeaks =
        fields.Unsigned32(levl_layout::kOffsetToPeaks);  // from the chunk's header
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
                    const std::string_view stored(bytes.data() + at + i * valueBytes, valueBytes);
                    return static_cast<float>(static_cast<double>(wavedoc::NumberIn(stored, order)) /
                                              fullScale);
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
