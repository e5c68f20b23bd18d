// Chunks whose size leaves out part of their fixed fields: readers that read
// the fields whole take the bytes after the chunk as the rest of them.
#include "chunkinfo/bext_layout.h"
#include "wavecheck/checks.h"

namespace wavecheck::detail {
namespace {

// dwSamples of slnt; the seven bytes of inst.
constexpr std::uint64_t kSlntFields = 4;
constexpr std::uint64_t kInstFields = 7;

// A chunk whose size field is below the `fields` bytes its fixed fields take.
void AddWhenShort(Report& report, std::uint64_t offset, std::string_view id, std::uint64_t size,
                  std::uint64_t fields, std::string_view what) {
    if (size >= fields) return;
    report.Add(offset, std::string(id),
               "The " + Quoted(id) + " chunk at offset " + std::to_string(offset) + " holds only " +
                   Counted(size, "byte", "bytes") + ", but its fixed fields (" + std::string(what) + ") take " +
                   std::to_string(fields) +
                   "; readers that read them whole take the bytes after it for the rest, and report them.");
}

}  // namespace

void CheckChunkShort(const CheckInput& input, Report& report) {
    const wavedoc::SlntChunk& slnt = input.document.Slnt();
    if (!slnt.Name().empty()) {
        AddWhenShort(report, slnt.Offset(), slnt.Name(), Stored(slnt.Size()), kSlntFields, "the count of silent samples");
    }
    const wavedoc::InstChunk& inst = input.document.Inst();
    if (!inst.Name().empty()) {
        AddWhenShort(report, inst.Offset(), inst.Name(), Stored(inst.Size()), kInstFields,
                     "the notes, tuning, gain and velocities");
    }
    for (const wavedoc::MapEntry& entry : input.facts.metadata.bext) {
        AddWhenShort(report, entry.offset, entry.id, entry.DeclaredSize(), chunkinfo::bext::kCodingHistory,
                     "the description, originator, date, time, version, UMID and loudness");
    }
}

}  // namespace wavecheck::detail
