// The fact chunk and the data chunk's length.
#include "wavecheck/checks.h"

namespace wavecheck::detail {
namespace {

constexpr std::uint64_t kFactFields = 4;

// PCM and float, plain or extensible: the frame count follows from the data
// chunk's size, so no fact chunk is needed.
bool NeedsNoFact(std::uint32_t code) { return code == kPcm || code == kFloat; }

}  // namespace

void CheckFactMissing(const CheckInput& input, Report& report) {
    if (!input.document.Fact().Name().empty()) return;
    const std::optional<std::uint32_t> code = FormatCode(input);
    // An extensible format with a sub-format of its own is left alone: it may
    // or may not be compressed.
    if (!code || NeedsNoFact(*code)) return;
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    report.Add(fmt.Offset(), fmt.Name(),
               "The audio is compressed (" + fmt.CompressionName() +
                   "), but the file has no \"fact\" chunk to give its length in samples.");
}

void CheckFactLength(const CheckInput& input, Report& report) {
    const wavedoc::FactChunk& fact = input.document.Fact();
    const std::optional<std::uint64_t> present = Present(input, fact);
    const std::optional<std::uint32_t> code = FormatCode(input);
    const std::optional<std::uint64_t> frames = DataFrames(input);
    if (!present || *present < kFactFields || !code || !NeedsNoFact(*code) || !frames) return;
    const std::uint32_t samples = Stored(fact.SampleCount());
    if (samples == *frames) return;
    report.Add(fact.Offset(), fact.Name(),
               "The \"fact\" chunk gives a length of " + Count(samples, "sample", "samples") +
                   " a channel, but the \"data\" chunk holds " + Count(*frames, "frame", "frames") + ".");
}

void CheckPartialFrame(const CheckInput& input, Report& report) {
    const wavedoc::GenericChunk& data = input.document.Data();
    const std::optional<std::uint64_t> bytes = Present(input, data);
    if (!bytes || !HasFormatFields(input)) return;
    const auto blockAlign = static_cast<std::uint64_t>(input.document.Fmt().BytesPerSample());
    if (blockAlign == 0 || *bytes % blockAlign == 0) return;
    report.Add(data.Offset(), data.Name(),
               "The \"data\" chunk holds " + Count(*bytes, "byte", "bytes") + ", not a whole number of " +
                   std::to_string(blockAlign) +
                   "-byte frames: " + Count(*bytes % blockAlign, "byte is", "bytes are") + " left over.");
}

}  // namespace wavecheck::detail
