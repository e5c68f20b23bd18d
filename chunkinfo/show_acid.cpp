// acid: the loop settings of ACID-style loop libraries. Fields: flags (32
// bits), root note (16), two fields of unknown meaning, number of beats (32),
// meter denominator and numerator (16 each) and tempo (32-bit float).
#include <bit>

#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"
#include "rows/note_text.h"

namespace chunkinfo {
namespace {

constexpr std::size_t kAcidSize = 24;

struct FlagName {
    std::uint32_t bit;
    std::string_view name;
};
constexpr FlagName kFlags[] = {
    {0x01, "one-shot"},   {0x02, "root note set"}, {0x04, "stretch"},
    {0x08, "disk-based"}, {0x10, "high octave"},
};

// "0x00000003 (one-shot, root note set)".
std::string FlagsText(std::uint32_t flags) {
    std::string names;
    for (const FlagName& flag : kFlags) {
        if ((flags & flag.bit) != 0) names += (names.empty() ? "" : ", ") + std::string(flag.name);
    }
    return HexNumber(flags, 8) + (names.empty() ? "" : " (" + names + ")");
}

}  // namespace

void ShowAcid(const ChunkInput& input, rows::RowSink& rows) {
    const wavedoc::FieldReader fields = input.Fields(0, kAcidSize);
    rows::AddValueRow(rows, "Flags", FlagsText(static_cast<std::uint32_t>(fields.Bits32(0, "flags"))),
                      input.At(0, 4));
    rows::AddValueRow(rows, "Root note", rows::NoteText(fields.Unsigned16(4, "root note")), input.At(4, 2));
    rows::AddValueRow(rows, "Beats",
                      std::to_string(static_cast<std::uint32_t>(fields.Bits32(12, "number of beats"))),
                      input.At(12, 4));
    rows::AddNumberRow(rows, "Meter denominator", fields.Unsigned16(16, "meter denominator"),
                       input.At(16, 2));
    rows::AddNumberRow(rows, "Meter numerator", fields.Unsigned16(18, "meter numerator"), input.At(18, 2));
    const auto tempo = std::bit_cast<float>(static_cast<std::uint32_t>(fields.Bits32(20, "tempo")));
    rows::AddValueRow(rows, "Tempo", FloatText(tempo) + " BPM", input.At(20, 4));
}

}  // namespace chunkinfo
