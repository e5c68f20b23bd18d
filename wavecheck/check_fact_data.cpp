// The fact chunk and the data chunk's length.
#include <algorithm>

#include "wavecheck/checks.h"

namespace wavecheck::detail {
namespace {

constexpr std::uint64_t kFactFields = 4;

// How many samples per channel one ADPCM block of `bytes` bytes holds: its
// header carries the first sample (IMA) or two (MS), each further byte two
// 4-bit samples shared among the channels. Nothing for other formats.
std::optional<std::uint64_t> AdpcmSamplesInBlock(std::uint32_t code, std::uint64_t bytes,
                                                 std::uint64_t channels) {
    if (channels == 0) return std::nullopt;
    const std::uint64_t header = code == kImaAdpcm ? 4 : code == kMsAdpcm ? 7 : 0;
    if (header == 0) return std::nullopt;
    if (bytes < header * channels) return 0;
    return (bytes - header * channels) * 2 / channels + (code == kImaAdpcm ? 1 : 2);
}

// The most samples per channel the data chunk's ADPCM blocks can hold, a
// shorter last block included.
std::optional<std::uint64_t> AdpcmCapacity(const CheckInput& input, std::uint32_t code) {
    const std::optional<std::uint64_t> bytes = Present(input.document.Data());
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    const auto blockAlign = static_cast<std::uint64_t>(fmt.BytesPerSample());
    const auto channels = static_cast<std::uint64_t>(fmt.ChannelCount());
    if (!bytes || blockAlign == 0) return std::nullopt;
    const std::optional<std::uint64_t> perBlock = AdpcmSamplesInBlock(code, blockAlign, channels);
    const std::optional<std::uint64_t> inLast = AdpcmSamplesInBlock(code, *bytes % blockAlign, channels);
    if (!perBlock || !inLast) return std::nullopt;
    return *bytes / blockAlign * *perBlock + (*bytes % blockAlign == 0 ? 0 : *inLast);
}

// The size the data chunk declares: from ds64 in a 64-bit file.
std::uint64_t DeclaredDataSize(const CheckInput& input) {
    const wavedoc::GenericChunk& data = input.document.Data();
    const std::uint32_t stored = Stored(data.Size());
    const std::optional<wavedoc::Ds64Sizes>& ds64 = input.document.Ds64();
    if (stored == wavedoc::layout::kSizeInDs64 && ds64 && ds64->HoldsDataSize()) return ds64->dataSize;
    return stored;
}

// "a length of 5 samples", or where the four bytes of the field are
// printable text (a chunk id, as where a writer left another chunk's header),
// those bytes: "the bytes "FILT" (1414285638 samples)".
std::string LengthWords(const CheckInput& input, std::uint64_t samples) {
    const wavedoc::FactChunk& fact = input.document.Fact();
    const std::string field =
        input.document.Source()->Read(fact.Offset() + wavedoc::layout::kChunkHeaderSize, kFactFields);
    const bool text =
        field.size() == kFactFields && std::all_of(field.begin(), field.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F;
        });
    if (!text) return "a length of " + CountSize(samples, "sample", "samples") + " per channel";
    return "the bytes " + QuotedText(field) + " where its length belongs (read as " +
           CountSize(samples, "sample", "samples") + " per channel)";
}

}  // namespace

void CheckFactMissing(const CheckInput& input, Report& report) {
    if (!input.document.Fact().Name().empty()) return;
    const std::optional<std::uint32_t> code = FormatCode(input);
    // An extensible format with a sub-format of its own is left alone: it may
    // or may not be compressed.
    if (!code || *code == kPcm) return;
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    // Formats of whole samples: libsndfile and SoX remark that the chunk is
    // missing, but read every sample.
    if (*code == kFloat || *code == kALaw || *code == kMuLaw) {
        report.Add(fmt.Offset(), fmt.Name(),
                   "The audio is " + fmt.CompressionName() +
                       ", which has no \"fact\" chunk; nothing is lost, as its length follows from the "
                       "sizes of the \"data\" chunk and of its samples.",
                   Level::Note);
        return;
    }
    report.Add(fmt.Offset(), fmt.Name(),
               "The audio is compressed (" + fmt.CompressionName() +
                   "), but the file has no \"fact\" chunk to give its length in samples.");
}

void CheckFactLength(const CheckInput& input, Report& report) {
    const wavedoc::FactChunk& fact = input.document.Fact();
    const std::optional<std::uint64_t> present = Present(fact);
    const std::optional<std::uint32_t> code = FormatCode(input);
    if (!present || *present < kFactFields || !code) return;
    const std::uint64_t samples = FactSamples(input);
    if (FrameIsBlock(input)) {
        const std::optional<std::uint64_t> frames = DataFrames(input);
        if (!frames || samples == *frames) return;
        // A data chunk cut short by the end of the file (past-end) is judged
        // by the size it declares.
        const wavedoc::GenericChunk& data = input.document.Data();
        const std::optional<std::uint64_t> frame = FrameSize(input);
        if (frame && data.Present() < DeclaredDataSize(input) && samples == DeclaredDataSize(input) / *frame)
            return;
        report.Add(fact.Offset(), fact.Name(),
                   "The \"fact\" chunk gives " + LengthWords(input, samples) +
                       ", but the \"data\" chunk holds " + text::Counted(*frames, "frame", "frames") +
                       "; readers of this format go by the \"data\" chunk's size, so nothing is lost.",
                   Level::Note);
        return;
    }
    const std::optional<std::uint64_t> capacity = AdpcmCapacity(input, *code);
    if (!capacity || samples <= *capacity) return;
    report.Add(fact.Offset(), fact.Name(),
               "The \"fact\" chunk gives " + LengthWords(input, samples) +
                   ", but the \"data\" chunk's blocks hold at most " +
                   text::Counted(*capacity, "sample", "samples") + " per channel.");
}

void CheckPartialFrame(const CheckInput& input, Report& report) {
    // Only where the block align is the frame size: a compressed format's
    // last block may be shorter, and some are no blocks at all.
    if (!FrameIsBlock(input)) return;
    const wavedoc::GenericChunk& data = input.document.Data();
    const std::optional<std::uint64_t> bytes = Present(data);
    // A data chunk cut off by the end of the file is past-end's to tell.
    if (!bytes || *bytes < DeclaredDataSize(input)) return;
    // The frame as readers work it out: a wrong block align is block-align's.
    const std::optional<std::uint64_t> frame = FrameSize(input);
    if (!frame || *bytes % *frame == 0) return;
    const std::uint64_t blockAlign = *frame;
    // SciPy reads 24-bit samples as whole frames only and refuses audio that
    // ends in part of one.
    const bool refused = (static_cast<std::uint16_t>(input.document.Fmt().BitsPerSample()) + 7U) / 8U == 3;
    const std::string refusal = "; readers that read 24-bit audio in whole frames (SciPy) refuse the file.";
    // A writer that counts the pad byte of odd-sized audio in the chunk's
    // size leaves exactly that byte over: nothing is lost to other readers.
    if (*bytes % blockAlign == 1 && (*bytes - 1) % 2 == 1) {
        report.Add(data.Offset(), data.Name(),
                   "The \"data\" chunk holds " + text::Counted(*bytes, "byte", "bytes") +
                       ", one more than its " + text::Counted(*bytes / blockAlign, "frame", "frames") +
                       " of " + text::Counted(blockAlign, "byte", "bytes") +
                       ": its size counts the pad byte its odd-sized audio needs" +
                       (refused ? refusal : ", so nothing is lost."),
                   refused ? Level::Error : Level::Note);
        return;
    }
    report.Add(data.Offset(), data.Name(),
               "The \"data\" chunk holds " + text::Counted(*bytes, "byte", "bytes") +
                   ", not a whole number of " + std::to_string(blockAlign) +
                   "-byte frames: " + text::Counted(*bytes % blockAlign, "byte is", "bytes are") +
                   " left over" + (refused ? refusal : "."),
               refused ? Level::Error : Level::Warning);
}

}  // namespace wavecheck::detail
