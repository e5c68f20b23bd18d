// The peak chunks: PEAK (the peak of each channel, as libsndfile and others
// write it: version, time stamp, then per channel a float value and the frame
// it occurs at) and levl (the peak envelope of EBU Tech 3285 supplement 3: a
// 120-byte header, then the peak points).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"
#include "formats/levl_layout.h"
#include "formats/peak_layout.h"
#include "wavedoc/reading/riff_layout.h"

namespace chunkinfo {
namespace {

namespace peak = formats::peak;
namespace levl = formats::levl;

constexpr std::uint64_t kMostChannels = 256;

constexpr std::uint32_t kUnknownPosition = 0xFFFFFFFF;

// "1032038469 (2002-09-14 21:21:09 UTC)": seconds since 1970 and the time they stand for.
std::string TimeStampText(std::uint32_t seconds) {
    const std::time_t time = seconds;
    std::tm parts{};
    char text[40] = "";
    if (::gmtime_r(&time, &parts) != nullptr) {
        std::strftime(text, sizeof text, " (%Y-%m-%d %H:%M:%S UTC)", &parts);
    }
    return std::to_string(seconds) + text;
}

// "0.5 (-6.0 dBFS) at frame 1200": a peak relative to full scale and where it is.
std::string PeakText(float value, std::uint32_t frame) {
    std::string text = FloatText(value);
    if (value > 0 && std::isfinite(value)) {
        char decibels[32];
        std::snprintf(decibels, sizeof decibels, " (%.1f dBFS)", 20 * std::log10(value));
        text += decibels;
    }
    return text + " at frame " + std::to_string(frame);
}

// "2 (16-bit values)": a value of a field that names its values 1 and 2.
std::string NamedOneOrTwo(std::uint32_t value, std::string_view one, std::string_view two) {
    const std::string_view name = value == 1 ? one : value == 2 ? two : "";
    return std::to_string(value) + (name.empty() ? "" : " (" + std::string(name) + ")");
}

}  // namespace

void ShowPeak(const ChunkInput& input, rows::RowSink& rows) {
    const wavedoc::FieldReader header = input.Fields(0, peak::kFirstRecord);
    rows::AddValueRow(rows, "Version", std::to_string(header.Unsigned32(peak::kVersion)),
                      input.At(peak::kVersion));
    rows::AddValueRow(rows, "Time stamp", TimeStampText(header.Unsigned32(peak::kTimeStamp)),
                      input.At(peak::kTimeStamp));
    // One record per channel of the format; without a fmt chunk, as many as the chunk holds.
    const std::uint64_t channels = input.ChannelCount().value_or(peak::RecordsIn(input.Present()));
    const std::uint64_t shown = std::min(channels, kMostChannels);
    for (std::uint64_t i = 0; i < shown; ++i) {
        const wavedoc::FieldReader record = input.Fields(peak::RecordOffset(i), peak::kRecordSize);
        const float value = record.Float32(peak::kValue);
        rows::AddValueRow(rows, "Channel " + std::to_string(i + 1),
                          PeakText(value, record.Unsigned32(peak::kPosition)),
                          input.At(peak::RecordOffset(i), peak::kRecordSize));
    }
    if (channels > shown) {
        AddNotShownRow(rows, GroupedCount(channels - shown, "more channel", "more channels"));
    }
}

void ShowPeakEnvelope(const ChunkInput& input, rows::RowSink& rows) {
    const wavedoc::FieldReader fields = input.Fields(0, levl::kHeaderSize);
    // A row for each 32-bit field, its value written by `text`; the value is returned.
    const auto addRow = [&](std::string_view label, const wavedoc::Field& field, const auto& text) {
        const std::uint32_t value = fields.Unsigned32(field);
        rows::AddValueRow(rows, label, text(value), input.At(field));
        return value;
    };
    const auto plain = [](std::uint32_t value) { return std::to_string(value); };
    addRow("Version", levl::kVersion, plain);
    const std::uint32_t format = addRow("Format", levl::kFormat, [](std::uint32_t value) {
        return NamedOneOrTwo(value, "8-bit values", "16-bit values");
    });
    addRow("Points per value", levl::kPointsPerValue, [](std::uint32_t value) {
        return NamedOneOrTwo(value, "positive peak", "positive and negative peak");
    });
    addRow("Block size", levl::kBlockSize,
           [](std::uint32_t value) { return GroupedCount(value, "frame", "frames"); });
    addRow("Channels", levl::kPeakChannels, plain);
    addRow("Frames", levl::kPeakFrames, plain);
    addRow("Position of the peak of peaks", levl::kPeakOfPeaks, [](std::uint32_t value) {
        return value == kUnknownPosition ? std::string("unknown (0xFFFFFFFF)") : std::to_string(value);
    });
    const std::uint32_t offset = addRow("Offset to peaks", levl::kOffsetToPeaks, plain);
    AddFixedTextRow(rows, fields, levl::kTimeStamp, "Time stamp", input.At(0, levl::kHeaderSize));
    // The offset counts from the start of the chunk header; peaks never start inside the header.
    constexpr std::uint64_t kHeaders = wavedoc::layout::kChunkHeaderSize + levl::kHeaderSize;
    const ByteRun peaks =
        input.Content().Part(std::max<std::uint64_t>(offset, kHeaders) - wavedoc::layout::kChunkHeaderSize);
    const std::uint64_t pointSize = format == 2 ? 2 : 1;
    rows::AddValueRow(rows, "Peak points", text::GroupedThousands(peaks.Length() / pointSize), peaks.At());
}

}  // namespace chunkinfo
