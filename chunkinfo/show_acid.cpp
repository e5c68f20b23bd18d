// acid: the loop settings of ACID-style loop libraries. Fields: flags (32
// bits), root note (16), two fields of unknown meaning, number of beats (32),
// meter denominator and numerator (16 each) and tempo (32-bit float).
#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"
#include "rows/note_text.h"

namespace chunkinfo {
namespace {

using wavedoc::Field;

constexpr Field kFlags = wavedoc::Unsigned32Field("flags", 0);
constexpr Field kRootNote = wavedoc::Unsigned16Field("root note", 4);
constexpr Field kBeats = wavedoc::Unsigned32Field("number of beats", 12);
constexpr Field kMeterDenominator = wavedoc::Unsigned16Field("meter denominator", 16);
constexpr Field kMeterNumerator = wavedoc::Unsigned16Field("meter numerator", 18);
constexpr Field kTempo = wavedoc::Float32Field("tempo", 20);
constexpr std::size_t kAcidSize = kTempo.End();

struct FlagName {
    std::uint32_t bit;
    std::string_view name;
};
constexpr FlagName kFlagNames[] = {
    {0x01, "one-shot"},   {0x02, "root note set"}, {0x04, "stretch"},
    {0x08, "disk-based"}, {0x10, "high octave"},
};

// "0x00000003 (one-shot, root note set)".
std::string FlagsText(std::uint32_t flags) {
    std::string names;
    for (const FlagName& flag : kFlagNames) {
        if ((flags & flag.bit) != 0) names += (names.empty() ? "" : ", ") + std::string(flag.name);
    }
    return HexNumber(flags, 8) + (names.empty() ? "" : " (" + names + ")");
}

}  // namespace

void ShowAcid(const ChunkInput& input, rows::RowSink& rows) {
    const wavedoc::FieldReader fields = input.Fields(0, kAcidSize);
    rows::AddValueRow(rows, "Flags", FlagsText(fields.Unsigned32(kFlags)), input.At(kFlags));
    rows::AddValueRow(rows, "Root note", rows::NoteText(fields.Unsigned16(kRootNote)), input.At(kRootNote));
    rows::AddValueRow(rows, "Beats", std::to_string(fields.Unsigned32(kBeats)), input.At(kBeats));
    rows::AddNumberRow(rows, "Meter denominator", fields.Unsigned16(kMeterDenominator),
                       input.At(kMeterDenominator));
    rows::AddNumberRow(rows, "Meter numerator", fields.Unsigned16(kMeterNumerator),
                       input.At(kMeterNumerator));
    rows::AddValueRow(rows, "Tempo", FloatText(fields.Float32(kTempo)) + " BPM", input.At(kTempo));
}

}  // namespace chunkinfo
