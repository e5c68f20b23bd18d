// The format fields of the fmt chunk.
#include <algorithm>
#include <bit>

#include "wavecheck/checks.h"

namespace wavecheck::detail {
namespace {

constexpr std::uint32_t kFormatFields = 16;
// wFormatTag to wBitsPerSample, then cbSize: the extension starts after it.
constexpr std::uint32_t kExtensionStart = 18;
// wValidBitsPerSample, dwChannelMask and the sub-format GUID.
constexpr std::uint32_t kExtensibleExtension = 22;
constexpr std::uint64_t kValidBitsEnd = 20;
constexpr std::uint64_t kChannelMaskEnd = 24;

// Formats whose frame is one sample per channel, each in whole bytes: block
// align and byte rate follow from the other fields.
bool IsUncompressed(const CheckInput& input) { return FrameIsBlock(input); }

// FFmpeg reads the audio in packets of the most whole blocks that fit in
// 4096 bytes (4096 bytes for a block of 0 or 1) and drops what is left of a
// frame at a packet's end: whether that loses samples of this data chunk
// (`frame` is never 0).
bool SplitsFrames(const CheckInput& input, std::uint64_t blockAlign, std::uint64_t frame) {
    // A frame of no bytes (0 bits per sample) is split by nothing.
    if (frame == 0) return false;
    constexpr std::uint64_t kPacket = 4096;
    const std::uint64_t packet =
        blockAlign > 1 ? std::max(blockAlign, kPacket / blockAlign * blockAlign) : kPacket;
    const std::optional<std::uint64_t> bytes = Present(input.document.Data());
    return packet % frame != 0 && bytes && *bytes > packet;
}

// Sample rates outside these are none an audio recording has: a rate below
// the lowest, or one with its high byte set (a stray byte above a usual rate).
constexpr std::uint64_t kLowestRate = 1000;
constexpr std::uint64_t kHighestRate = 0xFFFFFF;

bool RateIsImplausible(std::uint64_t rate) {
    return rate != 0 && (rate < kLowestRate || rate > kHighestRate);
}

// The rate the byte rate fits, where the sample rate is implausible and the
// byte rate is that of the sample rate without its high byte.
std::optional<std::uint64_t> RateTheByteRateFits(const CheckInput& input) {
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    const std::uint64_t rate = Stored(fmt.SampleRate());
    const std::optional<std::uint64_t> frame = FrameSize(input);
    if (!frame || !RateIsImplausible(rate) || rate <= kHighestRate) return std::nullopt;
    const std::uint64_t low = rate & kHighestRate;
    if (Stored(fmt.BytesPerSecond()) != low * *frame) return std::nullopt;
    return low;
}

// SciPy holds the byte rate of integer PCM to the other fields and refuses a
// file where they disagree; it reads PCM and float audio in blocks of the
// block align, and refuses or misreads it when that is no frame.
bool RefusedForByteRate(const CheckInput& input) { return FormatCode(input) == kPcm; }
bool RefusedForBlockAlign(const CheckInput& input) {
    const std::optional<std::uint32_t> code = FormatCode(input);
    return code == kPcm || code == kFloat;
}

bool IsExtensible(const CheckInput& input) {
    return HasFormatFields(input) && static_cast<std::uint32_t>(input.document.Fmt().CompressionCode()) ==
                                         wavedoc::layout::kExtensibleTag;
}

}  // namespace

void CheckFmtShort(const CheckInput& input, Report& report) {
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    if (fmt.Name().empty() || Stored(fmt.Size()) >= kFormatFields) return;
    report.Add(fmt.Offset(), fmt.Name(),
               "The \"fmt \" chunk holds only " + text::Counted(Stored(fmt.Size()), "byte", "bytes") +
                   "; its format fields take 16.");
}

void CheckFmtZero(const CheckInput& input, Report& report) {
    if (!HasFormatFields(input)) return;
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    if (fmt.ChannelCount() == 0) {
        report.Add(fmt.Offset(), fmt.Name(),
                   "The \"fmt \" chunk gives 0 channels, so there is no audio to play.");
    }
    if (fmt.SampleRate() == 0) {
        report.Add(fmt.Offset(), fmt.Name(),
                   "The \"fmt \" chunk gives a sample rate of 0, so the audio cannot be played.");
    }
    // Compressed formats may give no sample width; a frame of whole samples
    // cannot be read without one, and readers refuse it.
    if (IsUncompressed(input) && fmt.BitsPerSample() == 0) {
        report.Add(fmt.Offset(), fmt.Name(),
                   "The \"fmt \" chunk gives 0 bits per sample, so the audio cannot be read.");
    }
}

void CheckSampleSize(const CheckInput& input, Report& report) {
    const std::optional<std::uint32_t> code = FormatCode(input);
    if (!code || (*code != kPcm && *code != kFloat)) return;
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    const std::uint64_t bits = static_cast<std::uint16_t>(fmt.BitsPerSample());
    if (bits == 0) return;  // fmt-zero
    // PCM samples of 8 to 32 bits readers decode (a size between whole bytes
    // in the bytes that hold it); float ones of 32 or 64 bits.
    const bool decoded = *code == kPcm ? bits >= 8 && bits <= 32 : bits == 32 || bits == 64;
    if (decoded) return;
    report.Add(fmt.Offset(), fmt.Name(),
               "The \"fmt \" chunk gives " + std::to_string(bits) + "-bit " +
                   (*code == kPcm ? "PCM" : "float") +
                   " samples, a size that format has not: readers refuse the file or play the bytes as "
                   "samples of another size.");
}

void CheckSampleRate(const CheckInput& input, Report& report) {
    if (!HasFormatFields(input)) return;
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    const std::uint64_t rate = Stored(fmt.SampleRate());
    if (!RateIsImplausible(rate)) return;
    // Where the byte rate fits the rate without a stray high byte, the
    // fields disagree, and SciPy refuses the file.
    const std::optional<std::uint64_t> fits = RateTheByteRateFits(input);
    report.Add(
        fmt.Offset(), fmt.Name(),
        "The \"fmt \" chunk gives a sample rate of " + std::to_string(rate) + " Hz (" +
            Hex(static_cast<std::uint32_t>(rate), 8) + "), which no audio recording has" +
            (fits ? "; its byte rate fits " + std::to_string(*fits) +
                        " Hz, the rate without its high byte, which looks stray: readers that hold the "
                        "fields to each other (SciPy) refuse the file, others play it at the wrong rate."
                  : std::string("; readers play the audio at that rate.")),
        fits ? Level::Error : Level::Warning);
}

void CheckBlockAlign(const CheckInput& input, Report& report) {
    if (!IsUncompressed(input)) return;
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    const std::uint64_t channels = static_cast<std::uint32_t>(fmt.ChannelCount());
    const std::uint64_t bits = static_cast<std::uint32_t>(fmt.BitsPerSample());
    // No channels is fmt-zero's to tell; without bits there is no frame to
    // hold the block align to, and readers take the block as the frame.
    if (channels == 0 || bits == 0) return;
    const std::uint64_t expected = channels * ((bits + 7) / 8);
    const std::uint64_t blockAlign = static_cast<std::uint32_t>(fmt.BytesPerSample());
    if (blockAlign == expected) return;
    // A block that is no whole number of frames splits frames: readers that
    // read by blocks (FFmpeg) lose samples. Otherwise readers take the frame
    // from the channels and bits, but SciPy refuses a header whose fields
    // disagree.
    const bool splits = SplitsFrames(input, blockAlign, expected);
    report.Add(fmt.Offset(), fmt.Name(),
               "The \"fmt \" chunk gives a block align of " + text::Counted(blockAlign, "byte", "bytes") +
                   ", but a frame of " + std::to_string(bits) + "-bit samples in " +
                   text::Counted(channels, "channel", "channels") + " takes " +
                   text::Counted(expected, "byte", "bytes") +
                   (splits ? "; readers that read by blocks split frames and lose samples."
                    : RefusedForBlockAlign(input) ? "; most readers work the frame out from those, but some "
                                                    "(SciPy) refuse the file."
                                                  : "; readers work the frame out from those."),
               splits || RefusedForBlockAlign(input) ? Level::Error : Level::Warning);
}

void CheckByteRate(const CheckInput& input, Report& report) {
    if (!IsUncompressed(input)) return;  // a compressed format's byte rate is an average
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    const std::optional<std::uint64_t> frame = FrameSize(input);
    if (!frame) return;  // fmt-zero
    // The frame as the channels and bits make it: a wrong block align is
    // block-align's to tell, and a byte rate right for the frame is right.
    const std::uint64_t rate = Stored(fmt.SampleRate());
    const std::uint64_t byteRate = Stored(fmt.BytesPerSecond());
    if (byteRate == rate * *frame) return;
    // Where the sample rate holds the stray byte, sample-rate says so.
    if (RateTheByteRateFits(input)) return;
    report.Add(fmt.Offset(), fmt.Name(),
               "The \"fmt \" chunk gives " + text::Counted(byteRate, "byte", "bytes") + " per second, but " +
                   text::Counted(rate, "frame per second", "frames per second") + " of " +
                   text::Counted(*frame, "byte", "bytes") +
                   std::string(text::Agreeing(rate, " makes ", " each make ")) +
                   text::Counted(rate * *frame, "byte", "bytes") + " per second" +
                   (RefusedForByteRate(input)
                        ? "; readers that hold the fields to each other (SciPy) refuse the file."
                        : "; readers go by the other fields."),
               RefusedForByteRate(input) ? Level::Error : Level::Warning);
}

namespace {

// Past the end of a fmt chunk that runs past its end lie the bytes of what
// it swallowed: its extension is not judged (past-end says it).
bool FmtIsCut(const CheckInput& input) { return SizeTakesInMore(input, input.document.Fmt()); }

}  // namespace

void CheckCbSize(const CheckInput& input, Report& report) {
    if (!HasFormatFields(input)) return;
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    if (FmtIsCut(input)) return;
    const std::uint64_t size = Stored(fmt.Size());
    if (size < kExtensionStart || fmt.Present() < kExtensionStart) {
        if (IsExtensible(input)) {
            report.Add(fmt.Offset(), fmt.Name(),
                       "The \"fmt \" chunk names the extensible format but ends before its extension size "
                       "(cbSize), so the extensible fields are missing.");
        }
        return;
    }
    const std::uint64_t cbSize = static_cast<std::uint16_t>(fmt.ExtraFormatByteCount());
    if (kExtensionStart + cbSize > size) {
        report.Add(fmt.Offset(), fmt.Name(),
                   "The \"fmt \" chunk's extension size (cbSize) says " +
                       text::Counted(cbSize, "byte follows", "bytes follow") + " it, but the chunk holds " +
                       std::to_string(size - kExtensionStart) + " after it.");
    } else if (IsExtensible(input) && cbSize < kExtensibleExtension) {
        report.Add(fmt.Offset(), fmt.Name(),
                   "The \"fmt \" chunk names the extensible format, whose extension takes 22 bytes, but its "
                   "extension size (cbSize) is " +
                       std::to_string(cbSize) + ".");
    }
}

void CheckFmtExtra(const CheckInput& input, Report& report) {
    if (!HasFormatFields(input)) return;
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    const std::uint64_t size = Stored(fmt.Size());
    if (FmtIsCut(input) || size < kExtensionStart) return;
    const std::uint64_t cbSize = static_cast<std::uint16_t>(fmt.ExtraFormatByteCount());
    if (kExtensionStart + cbSize >= size) return;  // cb-size, or all its bytes counted
    const std::uint64_t extra = size - kExtensionStart - cbSize;
    report.Add(fmt.Offset(), fmt.Name(),
               "The \"fmt \" chunk holds " + text::Counted(extra, "byte", "bytes") +
                   " after its extension, which its extension size (cbSize) of " + std::to_string(cbSize) +
                   " does not count; readers skip them, so nothing is lost.");
}

void CheckFmtRifx(const CheckInput& input, Report& report) {
    // A RIFF file under a RIFX head is byte-order's to tell; a fmt chunk that
    // swallows what follows it, past-end's or not-a-chunk's.
    if (input.facts.form != wavedoc::FileForm::Rifx || input.document.OrderSwapped() ||
        !HasFormatFields(input) || FmtIsCut(input)) {
        return;
    }
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    const std::uint64_t size = Stored(fmt.Size());
    if (size <= kFormatFields) return;
    report.Add(fmt.Offset(), fmt.Name(),
               "The \"fmt \" chunk of this RIFX file holds " + text::Counted(size, "byte", "bytes") +
                   ", more than its 16 bytes of format fields; readers that take only those in a RIFX file "
                   "(FFmpeg) refuse it.");
}

void CheckValidBits(const CheckInput& input, Report& report) {
    if (!IsExtensible(input) || *Present(input.document.Fmt()) < kValidBitsEnd || FmtIsCut(input)) return;
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    const std::uint64_t valid = static_cast<std::uint32_t>(fmt.ValidBitsPerSample());
    const std::uint64_t bits = static_cast<std::uint32_t>(fmt.BitsPerSample());
    if (valid <= bits) return;
    report.Add(fmt.Offset(), fmt.Name(),
               "The \"fmt \" chunk says " +
                   text::Counted(valid, "bit of each sample is valid", "bits of each sample are valid") +
                   ", but its samples are only " + text::Counted(bits, "bit", "bits") + " wide.");
}

void CheckChannelMask(const CheckInput& input, Report& report) {
    if (!IsExtensible(input) || *Present(input.document.Fmt()) < kChannelMaskEnd || FmtIsCut(input)) return;
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    const auto speakers = static_cast<std::uint64_t>(std::popcount(Stored(fmt.ChannelMask())));
    const auto channels = static_cast<std::uint64_t>(fmt.ChannelCount());
    if (speakers <= channels) return;
    report.Add(fmt.Offset(), fmt.Name(),
               "The \"fmt \" chunk's channel mask names " + text::Counted(speakers, "speaker", "speakers") +
                   ", but the audio has only " + text::Counted(channels, "channel", "channels") + ".");
}

}  // namespace wavecheck::detail
