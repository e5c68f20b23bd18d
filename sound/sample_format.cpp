#include "sound/sample_format.h"

#include "wavedoc/chunks/compression_names.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/riff_layout.h"

namespace sound {
namespace {

namespace layout = wavedoc::layout;

constexpr std::uint32_t kPcm = 1;
constexpr std::uint32_t kFloat = 3;
constexpr std::uint32_t kALaw = 6;
constexpr std::uint32_t kMuLaw = 7;
constexpr std::uint64_t kChannelMaskEnd = 24;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

}  // namespace

std::string SampleFormat::Name() const {
    switch (encoding) {
        case Encoding::Integer:
            return std::to_string(bytes * 8) + "-bit PCM";
        case Encoding::Float:
            return std::to_string(bytes * 8) + "-bit float";
        case Encoding::ALaw:
            return "A-law";
        case Encoding::MuLaw:
            return "\xC2\xB5-law";
    }
    return {};
}

FormatVerdict SampleFormatOf(const wavedoc::WaveDocument& document) {
    const std::string file =
        document.Source() != nullptr ? Quoted(document.Source()->DisplayName()) : "The file";
    const wavedoc::FmtChunk& fmt = document.Fmt();
    if (fmt.Name().empty() || fmt.Present() < layout::kFormatFields) {
        return {std::nullopt, "The sound of " + file + " is not measured: it has no format fields."};
    }
    if (document.Data().Name().empty()) {
        return {std::nullopt, "The sound of " + file + " is not measured: it has no \"data\" chunk."};
    }
    const auto tag = static_cast<std::uint16_t>(fmt.CompressionCode());
    std::uint32_t code = tag;
    SampleFormat format;
    std::string subFormat;
    if (tag == layout::kExtensibleTag) {
        if (fmt.Present() >= layout::kSubFormatOffset + layout::kGuidSize && document.Source() != nullptr) {
            subFormat = document.Source()->Read(
                fmt.Offset() + layout::kChunkHeaderSize + layout::kSubFormatOffset, layout::kGuidSize);
        }
        const std::optional<std::uint32_t> sub = layout::SubFormatCode(subFormat);
        code = sub.value_or(layout::kExtensibleTag);
        // The mask is dwChannelMask, after cbSize and wValidBitsPerSample.
        if (fmt.Present() >= kChannelMaskEnd)
            format.channelMask = static_cast<std::uint32_t>(fmt.ChannelMask());
    }
    const auto bits = static_cast<std::uint16_t>(fmt.BitsPerSample());
    format.bytes = (bits + 7U) / 8U;
    format.channels = static_cast<std::uint16_t>(fmt.ChannelCount());
    format.sampleRate = static_cast<std::uint32_t>(fmt.SampleRate());
    format.bigEndian = document.Order() == wavedoc::ByteOrder::Big;
    bool fits = false;
    if (code == kPcm) {
        format.encoding = Encoding::Integer;
        fits = format.bytes >= 1 && format.bytes <= 4;
    } else if (code == kFloat) {
        format.encoding = Encoding::Float;
        fits = format.bytes == 4 || format.bytes == 8;
    } else if (code == kALaw || code == kMuLaw) {
        format.encoding = code == kALaw ? Encoding::ALaw : Encoding::MuLaw;
        fits = format.bytes == 1;
    } else {
        return {std::nullopt, "The sound of " + file + " is not measured: its audio is " +
                                  wavedoc::CompressionNameOf(fmt.CompressionCode(), subFormat) +
                                  ", which Ondulo does not decode."};
    }
    if (!fits) {
        return {std::nullopt, "The sound of " + file + " is not measured: " + std::to_string(bits) +
                                  "-bit samples are not a size its format has."};
    }
    if (format.channels == 0) {
        return {std::nullopt, "The sound of " + file + " is not measured: its format gives no channels."};
    }
    return {format, {}};
}

}  // namespace sound
