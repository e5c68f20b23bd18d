// The chunks shown in a few fixed rows: RIFF, fmt, fact, wavl, slnt, PAD and data.
#include <string>

#include "detail_routines.h"
#include "detail_rows.h"
#include "wavedoc/document/wave_document.h"

void ShowRiffType(const wavedoc::WaveDocument& document, RowSink& values) {
    AddValueRow(values, "RIFF Type", document.RiffHeader().Data());
}

void ShowFormat(const wavedoc::WaveDocument& document, RowSink& values) {
    AddValueRow(
        values, "Compression code",
        std::to_string(document.Fmt().CompressionCode()) + " (" + document.Fmt().CompressionName() + ")");
    // Only the two usual layouts are named; any other count gets no row at all.
    const std::int32_t channels = document.Fmt().ChannelCount();
    if (channels == 1 || channels == 2) {
        AddValueRow(values, "Number of channels",
                    std::to_string(channels) + (channels == 1 ? " (Mono)" : " (Stereo)"));
    }
    AddNumberRow(values, "Sample rate", document.Fmt().SampleRate());
    AddNumberRow(values, "Bytes per second", document.Fmt().BytesPerSecond());
    AddNumberRow(values, "Bytes per sample", document.Fmt().BytesPerSample());
    AddNumberRow(values, "Bits per sample", document.Fmt().BitsPerSample());
    // The plain PCM layout is 16 bytes; a longer chunk carries cbSize and the extension.
    if (document.Fmt().Size() > 16) {
        AddNumberRow(values, "Extra format bytes", document.Fmt().ExtraFormatByteCount());
        AddValueRow(values, "Extra format value", kPlaceholder);
    }
}

void ShowFact(const wavedoc::WaveDocument& document, RowSink& values) {
    AddNumberRow(values, "Number of samples", document.Fact().SampleCount());
    if (document.Fact().Size() > 4) AddValueRow(values, "More fields", kSpacedPlaceholder);
}

void ShowWaveList(const wavedoc::WaveDocument& /*document*/, RowSink& values) {
    AddValueRow(values, "List of data and slnt chunks", kSpacedPlaceholder);
}

void ShowSilence(const wavedoc::WaveDocument& document, RowSink& values) {
    AddNumberRow(values, "Number of silent samples", document.Slnt().SilentSampleCount());
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
    AddValueRow(values, "PAD byte", value);
}

void ShowDataChunk(const wavedoc::WaveDocument& /*document*/, RowSink& values) {
    AddValueRow(values, "Data", kPlaceholder);
}
