// The chunks shown in a few fixed rows: RIFF, fmt, fact, wavl, slnt, PAD and data.
#include <string>

#include "detail_routines.h"
#include "detail_rows.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/riff_layout.h"

namespace rows {

void ShowRiffType(const wavedoc::WaveDocument& document, RowSink& values) {
    const wavedoc::GenericChunk& riff = document.RiffHeader();
    AddValueRow(values, "RIFF Type", riff.Data(), ContentRange(riff, 0, riff.Data().size()));
}

void ShowFormat(const wavedoc::WaveDocument& document, RowSink& values) {
    const wavedoc::FmtChunk& fmt = document.Fmt();
    AddValueRow(values, "Compression code",
                std::to_string(fmt.CompressionCode()) + " (" + fmt.CompressionName() + ")",
                ContentRange(fmt, 0, 2));
    // Only the two usual layouts are named; any other count gets no row at all.
    const std::int32_t channels = document.Fmt().ChannelCount();
    if (channels == 1 || channels == 2) {
        AddValueRow(values, "Number of channels",
                    std::to_string(channels) + (channels == 1 ? " (Mono)" : " (Stereo)"),
                    ContentRange(fmt, 2, 2));
    }
    AddNumberRow(values, "Sample rate", fmt.SampleRate(), ContentRange(fmt, 4, 4));
    AddNumberRow(values, "Bytes per second", fmt.BytesPerSecond(), ContentRange(fmt, 8, 4));
    AddNumberRow(values, "Bytes per sample", fmt.BytesPerSample(), ContentRange(fmt, 12, 2));
    AddNumberRow(values, "Bits per sample", fmt.BitsPerSample(), ContentRange(fmt, 14, 2));
    // The plain PCM layout is 16 bytes; a longer chunk carries cbSize and the extension.
    if (fmt.Size() > 16) {
        AddNumberRow(values, "Extra format bytes", fmt.ExtraFormatByteCount(), ContentRange(fmt, 16, 2));
        // The placeholder stands for the bytes after cbSize, as far as the file holds them.
        const std::uint64_t extraStart = 18;
        AddValueRow(
            values, "Extra format value", kPlaceholder,
            ContentRange(fmt, extraStart, fmt.Present() > extraStart ? fmt.Present() - extraStart : 0));
    }
}

void ShowFact(const wavedoc::WaveDocument& document, RowSink& values) {
    const wavedoc::FactChunk& fact = document.Fact();
    AddNumberRow(values, "Number of samples", fact.SampleCount(), ContentRange(fact, 0, 4));
    if (fact.Size() > 4) {
        AddValueRow(values, "More fields", kSpacedPlaceholder,
                    ContentRange(fact, 4, fact.Present() > 4 ? fact.Present() - 4 : 0));
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
                 ContentRange(document.Slnt(), 0, 4));
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
