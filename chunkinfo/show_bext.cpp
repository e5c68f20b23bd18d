// bext: the Broadcast Wave extension, its fields as bext_layout.h lays them out.
#include <algorithm>
#include <cstdio>

#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"
#include "formats/bext_layout.h"

namespace chunkinfo {
namespace {

using namespace formats::bext;

// The coding history is read up to this many lines.
constexpr std::size_t kMostHistoryLines = 256;

// "158760000 (01:00:00.000 at 44100 Hz)": the samples since midnight and the
// time of day they stand for at the format's sample rate.
std::string TimeReferenceText(std::uint64_t samples, std::optional<std::uint32_t> rate) {
    std::string text = std::to_string(samples);
    if (!rate || *rate == 0) return text;
    const std::uint64_t seconds = samples / *rate;
    const std::uint64_t milliseconds = samples % *rate * 1000 / *rate;
    char time[64];
    std::snprintf(
        time, sizeof time, " (%02llu:%02llu:%02llu.%03llu at %u Hz)",
        static_cast<unsigned long long>(seconds / 3600), static_cast<unsigned long long>(seconds / 60 % 60),
        static_cast<unsigned long long>(seconds % 60), static_cast<unsigned long long>(milliseconds), *rate);
    return text + time;
}

// A basic UMID leaves the source pack of an extended one zero: only the
// basic UMID is shown then.
std::string UmidText(std::string_view umid) {
    const auto zero = [](std::string_view bytes) {
        return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
    };
    if (zero(umid)) return "none (all zero)";
    const bool basic = zero(umid.substr(formats::umid::kSourcePack.offset));
    return text::HexDigits(basic ? umid.substr(0, formats::umid::kBasic.width) : umid, text::HexCase::Upper);
}

void AddCodingHistory(const ChunkInput& input, rows::RowSink& rows) {
    const ByteRun run = input.Content().Part(kCodingHistory);
    const std::uint64_t length = run.Length();
    const std::string read = run.Read(0, kMostHistoryBytes);
    const std::string_view history = std::string_view(read).substr(0, read.find('\0'));
    // Read to its zero byte or to the end of the chunk; otherwise its last
    // line read may go on past the bytes read.
    const bool whole = history.size() < read.size() || read.size() == length;
    if (history.empty()) {
        rows::AddValueRow(rows, "CodingHistory", "", run.At());
        return;
    }
    rows::AddHeadingRow(rows, "CodingHistory", run.At());
    std::size_t line = 0;
    std::size_t at = 0;
    while (at < history.size() && line < kMostHistoryLines) {
        const std::size_t end = std::min(history.find_first_of("\r\n", at), history.size());
        const std::string_view text = history.substr(at, end - at);
        const std::uint64_t lineLength = end == history.size() && !whole ? length - at : text.size();
        rows::AddValueRow(rows, "     Line " + std::to_string(++line),
                          TextValue(text, lineLength, rows.TextLimit()), run.Part(at, lineLength).At());
        at = end;
        if (at < history.size() && history[at] == '\r') ++at;
        if (at < history.size() && history[at] == '\n') ++at;
    }
    if (at < history.size() || !whole) {
        AddNotShownRow(rows, "the coding history after line " + std::to_string(line));
    }
}

}  // namespace

void ShowBroadcastExtension(const ChunkInput& input, rows::RowSink& rows) {
    const wavedoc::FieldReader fields = input.Fields(0, kCodingHistory);
    for (const Field& text :
         {kDescription, kOriginator, kOriginatorReference, kOriginationDate, kOriginationTime}) {
        AddFixedTextRow(rows, fields, text, text.name, input.At(0, kCodingHistory));
    }
    const std::uint32_t low = fields.Unsigned32(kTimeReferenceLow);
    const std::uint32_t high = fields.Unsigned32(kTimeReferenceHigh);
    rows::AddValueRow(rows, "TimeReference",
                      TimeReferenceText(std::uint64_t{high} << 32 | low, input.SampleRate()),
                      input.At(wavedoc::Spanning("TimeReference", kTimeReferenceLow, kTimeReferenceHigh)));
    const auto version = static_cast<std::uint32_t>(fields.Unsigned16(kVersion));
    rows::AddValueRow(rows, "Version", std::to_string(version), input.At(kVersion));
    if (version >= 1) rows::AddValueRow(rows, "UMID", UmidText(fields.Bytes(kUmid)), input.At(kUmid));
    if (version >= 2) {
        for (const LoudnessField& loudness : kLoudnessFields) {
            rows::AddValueRow(rows, loudness.field.name,
                              LoudnessText(fields.Signed16(loudness.field), loudness.unit),
                              input.At(loudness.field));
        }
    }
    const Field reserved = ReservedField(version);
    const std::string_view bytes = fields.Bytes(reserved);
    const bool zero = std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
    rows::AddValueRow(rows, "Reserved",
                      GroupedCount(bytes.size(), "byte", "bytes") + (zero ? ", all zero" : ", not all zero"),
                      input.At(reserved));
    AddCodingHistory(input, rows);
}

}  // namespace chunkinfo
