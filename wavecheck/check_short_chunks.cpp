// Chunks whose size leaves out part of their fixed fields: readers that read
// the fields whole take the bytes after the chunk as the rest of them.
#include "formats/bext_layout.h"
#include "wavecheck/checks.h"

namespace wavecheck::detail {
namespace {

// dwSamples of slnt; the seven bytes of inst; dwSampleLength of fact; the
// nine fields of smpl before its loops.
constexpr std::uint64_t kSlntFields = 4;
constexpr std::uint64_t kInstFields = 7;
constexpr std::uint64_t kFactFields = 4;
constexpr std::uint64_t kSmplFields = wavedoc::layout::kSampleLoops.firstRecord;
constexpr std::uint64_t kDigestBytes = 16;

// A chunk whose size field is below the `fields` bytes its fixed fields take.
// `lost`: what readers that read the fields whole lose (libsndfile refuses a
// file with a short fact or smpl chunk and drops a short bext, FFmpeg drops
// its coding history); empty where no reader reads them, a note then.
void AddWhenShort(Report& report, std::uint64_t offset, std::string_view id, std::uint64_t size,
                  std::uint64_t fields, std::string_view what, std::string_view lost) {
    if (size >= fields) return;
    const std::string sentence = "The " + Quoted(id) + " chunk at offset " + std::to_string(offset) +
                                 " holds only " + text::Counted(size, "byte", "bytes") +
                                 ", but its fixed fields (" + std::string(what) + ") take " +
                                 std::to_string(fields);
    if (lost.empty()) {
        report.Add(offset, std::string(id), sentence + "; readers do not use them, so nothing is lost.",
                   Level::Note);
    } else {
        report.Add(offset, std::string(id),
                   sentence + "; readers that read them whole take the bytes after it for the rest and " +
                       std::string(lost) + ".",
                   Level::Error);
    }
}

}  // namespace

void CheckChunkShort(const CheckInput& input, Report& report) {
    const wavedoc::SlntChunk& slnt = input.document.Slnt();
    if (!slnt.Name().empty()) {
        AddWhenShort(report, slnt.Offset(), slnt.Name(), Stored(slnt.Size()), kSlntFields,
                     "the count of silent samples", {});
    }
    const wavedoc::InstChunk& inst = input.document.Inst();
    if (!inst.Name().empty()) {
        AddWhenShort(report, inst.Offset(), inst.Name(), Stored(inst.Size()), kInstFields,
                     "the notes, tuning, gain and velocities", {});
    }
    const wavedoc::FactChunk& fact = input.document.Fact();
    if (!fact.Name().empty()) {
        AddWhenShort(report, fact.Offset(), fact.Name(), Stored(fact.Size()), kFactFields,
                     "the length in samples", "lose their place in the file, so that some refuse it");
    }
    const wavedoc::SmplChunk& smpl = input.document.Smpl();
    if (!smpl.Name().empty()) {
        AddWhenShort(report, smpl.Offset(), smpl.Name(), Stored(smpl.Size()), kSmplFields,
                     "the sampler's fields and the loop count",
                     "lose their place in the file, so that some refuse it");
    }
    // No reader of the audio looks at the digest; without its 16 bytes there
    // is nothing to verify the audio against.
    if (const std::optional<wavedoc::MapEntry>& md5 = input.facts.md5) {
        AddWhenShort(report, md5->offset, md5->id, md5->DeclaredSize(), kDigestBytes,
                     "the digest of the audio", {});
    }
    for (const wavedoc::MapEntry& entry : input.facts.metadata.bext) {
        AddWhenShort(report, entry.offset, entry.id, entry.DeclaredSize(), formats::bext::kCodingHistory,
                     "the description, originator, date, time, version, UMID and loudness",
                     "drop the chunk or part of it");
    }
}

}  // namespace wavecheck::detail
