// The chunks shown in a few fixed rows: RIFF, fmt, fact, wavl, slnt, PAD and data.
#include <string>

#include "detail_routines.h"
#include "detail_rows.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/chunk_fields.h"
#include "wavedoc/reading/riff_layout.h"

namespace rows {

namespace layout = wavedoc::layout;

void ShowRiffType(const wavedoc::WaveDocument& document, RowSink& values) {
    const wavedoc::GenericChunk& riff = document.RiffHeader();
    AddValueRow(values, "RIFF Type", riff.Data(), ContentRange(riff, 0, riff.Data().size()));
}

void ShowFormat(const wavedoc::WaveDocument& document, RowSink& values) {
    const wavedoc::FmtChunk& fmt = document.Fmt();
    AddValueRow(values, "Compression code",
                std::to_string(fmt.CompressionCode()) + " (" + fmt.CompressionName() + ")",
                ContentRange(fmt, layout::fmt::kFormatTag));
    // Only the two usual layouts are named; any other count gets no row at all.
    const std::int32_t channels = document.Fmt().ChannelCount();
    if (channels == 1 || channels == 2) {
        AddValueRow(values, "Number of channels",
                    std::to_string(channels) + (channels == 1 ? " (Mono)" : " (Stereo)"),
                    ContentRange(fmt, layout::fmt::kChannels));
    }
    AddNumberRow(values, "Sample rate", fmt.SampleRate(), ContentRange(fmt, layout::fmt::kSamplesPerSec));
    AddNumberRow(values, "Bytes per second", fmt.BytesPerSecond(),
                 ContentRange(fmt, layout::fmt::kAvgBytesPerSec));
    AddNumberRow(values, "Bytes per sample", fmt.BytesPerSample(),
                 ContentRange(fmt, layout::fmt::kBlockAlign));
    AddNumberRow(values, "Bits per sample", fmt.BitsPerSample(),
                 ContentRange(fmt, layout::fmt::kBitsPerSample));
    // The plain PCM layout is 16 bytes; a longer chunk carries cbSize and the extension.
    if (fmt.Size() > 0 && static_cast<std::uint64_t>(fmt.Size()) > layout::kFormatFields) {
        AddNumberRow(values, "Extra format bytes", fmt.ExtraFormatByteCount(),
                     ContentRange(fmt, layout::fmt::kExtraSize));
        // The placeholder stands for the bytes after cbSize, as far as the file holds them.
        const std::uint64_t extraStart = layout::fmt::kExtraSize.End();
        AddValueRow(
            values, "Extra format value", kPlaceholder,
            ContentRange(fmt, extraStart, fmt.Present() > extraStart ? fmt.Present() - extraStart : 0));
    }
}

void ShowFact(const wavedoc::WaveDocument& document, RowSink& values) {
    const wavedoc::FactChunk& fact = document.Fact();
    const wavedoc::Field& length = layout::fact::kSampleLength;
    AddNumberRow(values, "Number of samples", fact.SampleCount(), ContentRange(fact, length));
    if (fact.Size() > 0 && static_cast<std::uint64_t>(fact.Size()) > length.End()) {
        AddValueRow(values, "More fields", kSpacedPlaceholder,
                    ContentRange(fact, length.End(),
                                 fact.Present() > length.End() ? fact.Present() - length.End() : 0));
    }
}

void ShowWaveList(const wavedoc::WaveDocument& document, RowSink& values) {
    // The placeholder stands for the sub-chunks, after the list type.
    const wavedoc::GenericChunk& list = document.Wavl();
    const std::uint64_t typeSize = wavedoc::layout::kListTypeSize;
    AddValueRow(values, "List of data and slnt chunks", kSpacedPlaceholder,
                ContentRange(list, typeSize, list.Present() > typeSize ? list.Present() - typeSize : 0));
}

void ShowSilence(const wavedoc::WaveDocument& document, RowSink& values) {
    AddNumberRow(values, "Number of silent samples", document.Slnt().SilentSampleCount(),
                 ContentRange(document.Slnt(), layout::slnt::kSamples));
}

void ShowPadByte(const wavedoc::WaveDocument& document, RowSink& values) {
    // The first content byte with at least two digits (00, 07, 42, 255); a PAD
    // chunk without content has no byte to show, so its value stays empty.
    const std::string& content = document.Pad().Data();
    std::string value;
    if (!content.empty()) {
        const int firstByte = static_cast<unsigned char>(content.front());
        value = (firstByte < 10 ? "0" : "") + std::to_string(firstByte);
    }
    AddValueRow(values, "PAD byte", value,
                content.empty() ? std::nullopt : std::optional(ContentRange(document.Pad(), 0, 1)));
}

void ShowDataChunk(const wavedoc::WaveDocument& document, RowSink& values) {
    AddValueRow(values, "Data", kPlaceholder, ContentRange(document.Data(), 0, document.Data().Present()));
}

}  // namespace rows
