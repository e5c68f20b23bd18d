// The file's chunk structure: sizes, headers, pad bytes, which chunks it holds.
#include "wavecheck/checks.h"

namespace wavecheck::detail {
namespace {

using wavedoc::MapEntry;
namespace layout = wavedoc::layout;

// "the file", or "its "LIST" chunk" for an entry inside a list.
std::string Where(const MapEntry& entry) {
    return entry.parentId.empty() ? "the file" : "its " + Quoted(entry.parentId) + " chunk";
}

std::string What(const MapEntry& entry) { return entry.parentId.empty() ? "chunk" : "sub-chunk"; }

// The last top-level chunk is a streaming writer's unfinished data: a
// placeholder size that runs past the end (see CheckUnfinished).
bool IsUnfinishedLastChunk(const EntryInput& input) {
    return input.entry.depth == 0 && input.entry.last && input.entry.id == "data" && !input.entry.ds64Size &&
           layout::IsStreamingPlaceholder(input.entry.size);
}

// Where the RIFF size counts the pad bytes that chunks lack, and is right
// but for them: the bytes are pad-missing's to tell.
bool RiffSizeCountsMissingPads(const WalkFacts& facts) {
    return facts.topLevelPadsMissing > 0 && facts.RiffEnd() == facts.fileLength + facts.topLevelPadsMissing;
}

// Stray bytes after the end the RIFF size gives, where that end lies between
// chunks, are trailing-bytes' to tell.
bool AreTrailingBytes(const EntryInput& input) {
    return input.entry.afterRiffEnd && !input.facts.riffEndsInside;
}

// The RIFF size the check goes by is the ds64 chunk's: the RIFF size field
// holds 0xFFFFFFFF in a 64-bit file that has one.
bool RiffSizeInDs64(const CheckInput& input) {
    return input.document.Ds64() && Stored(input.document.RiffHeader().Size()) == layout::kSizeInDs64;
}

}  // namespace

void CheckRiffSize(const CheckInput& input, Report& report) {
    const WalkFacts& facts = input.facts;
    const std::uint64_t after = facts.fileLength - layout::kChunkHeaderSize;
    if (facts.riffSize == after || facts.RiffSizeIsPlaceholder() || RiffSizeCountsMissingPads(facts)) return;
    const std::string says =
        RiffSizeInDs64(input) ? "The RIFF size in the ds64 chunk says " : "The RIFF size field says ";
    if (facts.RiffEnd() > facts.fileLength) {
        if (facts.topLevelRunsPastEnd) return;  // the file is cut short: past-end says where
        report.Add(0, "RIFF",
                   says + CountSize(facts.riffSize, "byte follows", "bytes follow") +
                       " it, but the file holds " + std::to_string(after) +
                       " after it; readers that go by it look for more than there is.");
        return;
    }
    if (!facts.riffEndsInside) return;  // bytes after a whole chunk: trailing-bytes
    const MapEntry& cut = *facts.riffEndsInside;
    report.Add(0, "RIFF",
               says + CountSize(facts.riffSize, "byte follows", "bytes follow") +
                   " it, so the RIFF chunk ends at offset " + std::to_string(facts.RiffEnd()) +
                   ", inside the " + Quoted(cut.id) + " chunk at offset " + std::to_string(cut.offset) +
                   "; readers that go by it lose the rest of that chunk and all after it.");
}

void CheckUnfinished(const CheckInput& input, Report& report) {
    const WalkFacts& facts = input.facts;
    const bool riff = facts.RiffSizeIsPlaceholder();
    const bool last = facts.LastChunkSizeIsPlaceholder();
    if (!riff && !last) return;
    std::vector<std::string> fields;
    if (riff && RiffSizeInDs64(input)) {
        fields.push_back("the RIFF size in its ds64 chunk holds " + std::to_string(facts.riffSize));
    } else if (riff) {
        fields.push_back("its RIFF size field holds " + Hex(static_cast<std::uint32_t>(facts.riffSize), 8));
    }
    if (last) {
        fields.push_back("its " + Quoted(facts.lastTopLevel->id) + " chunk's size field holds " +
                         Hex(facts.lastTopLevel->size, 8) + " (" + FieldValue(facts.lastTopLevel->size) +
                         ")");
    }
    std::string sentence = "The file was written as a stream and never finished: " + fields[0] +
                           (fields.size() > 1 ? " and " + fields[1] : std::string()) +
                           (fields.size() > 1 ? ", placeholders its writer never went back to fill in, so "
                                                "readers that trust them "
                                              : ", a placeholder its writer never went back to fill in, so "
                                                "readers that trust it ") +
                           "stop early or misjudge the length.";
    if (last) {
        sentence += " The file holds " + Counted(facts.lastTopLevel->present, "byte", "bytes") + " of the " +
                    Quoted(facts.lastTopLevel->id) + " chunk.";
    }
    report.Add(last ? facts.lastTopLevel->offset : 0, last ? facts.lastTopLevel->id : "RIFF", sentence);
}

void CheckPastEnd(const EntryInput& input, Report& report) {
    const MapEntry& entry = input.entry;
    if (!entry.IsChunk() || entry.present >= entry.DeclaredSize() || IsUnfinishedLastChunk(input)) return;
    report.AddMade(entry.offset, entry.id, [&] {
        return "The " + Quoted(entry.id) + " " + What(entry) + " at offset " + std::to_string(entry.offset) +
               (entry.ds64Size ? " has a size in the ds64 chunk of " : " says it holds ") +
               CountSize(entry.DeclaredSize(), "byte", "bytes") + ", but " + Where(entry) + " ends after " +
               std::to_string(entry.present) + " of them.";
    });
}

void CheckCutHeader(const EntryInput& input, Report& report) {
    const MapEntry& entry = input.entry;
    if (entry.stray != wavedoc::Stray::CutHeader || AreTrailingBytes(input)) return;
    report.AddMade(entry.offset, entry.parentId, [&] {
        return "The last " + Counted(entry.length, "byte", "bytes") + " of " + Where(entry) +
               ", from offset " + std::to_string(entry.offset) +
               ", are too few for a chunk header: a chunk was cut off there.";
    });
}

void CheckNotAChunk(const EntryInput& input, Report& report) {
    const MapEntry& entry = input.entry;
    if (entry.stray != wavedoc::Stray::NotAChunk || AreTrailingBytes(input)) return;
    report.AddMade(entry.offset, entry.parentId, [&] {
        return "The " + Counted(entry.length, "byte", "bytes") + " from offset " +
               std::to_string(entry.offset) + " to the end of " + Where(entry) +
               " do not start with a chunk id, so nothing in them can be read.";
    });
}

void CheckPadMissing(const EntryInput& input, Report& report) {
    const MapEntry& entry = input.entry;
    if (!entry.IsChunk() || entry.pad != wavedoc::PadByte::Missing) return;
    report.AddMade(
        entry.offset, entry.id,
        [&] {
            return "The " + Quoted(entry.id) + " " + What(entry) + " at offset " +
                   std::to_string(entry.offset) + " holds " + Counted(entry.DeclaredSize(), "byte", "bytes") +
                   ", an odd number, but no pad byte follows it" +
                   (entry.last ? "; nothing follows it either, so nothing is lost."
                               : "; readers that expect one lose the chunk after it.");
        },
        entry.last ? std::optional(Level::Note) : std::nullopt);
}

void CheckPadNotZero(const EntryInput& input, Report& report) {
    const MapEntry& entry = input.entry;
    if (!entry.IsChunk() || entry.pad != wavedoc::PadByte::Present || !entry.padValue ||
        *entry.padValue == 0) {
        return;
    }
    report.AddMade(entry.offset, entry.id, [&] {
        return "The pad byte after the " + Quoted(entry.id) + " " + What(entry) + " at offset " +
               std::to_string(entry.offset) + " is " + Hex(*entry.padValue, 2) + ", not zero.";
    });
}

void CheckDuplicate(const EntryInput& input, Report& report) {
    const MapEntry& entry = input.entry;
    if (entry.depth != 0 || entry.listing != wavedoc::Listing::LaterDuplicate) return;
    report.AddMade(entry.offset, entry.id, [&] {
        return "The file holds another " + Quoted(entry.id) + " chunk at offset " +
               std::to_string(entry.offset) +
               "; a file holds one, so readers (Ondulo too) take the first and ignore this one.";
    });
}

void CheckFmtMissing(const CheckInput& input, Report& report) {
    if (!input.document.Fmt().Name().empty()) return;
    report.Add(0, "", "The file has no \"fmt \" chunk, so nothing tells how to play its audio.");
}

void CheckDataMissing(const CheckInput& input, Report& report) {
    if (!input.document.Data().Name().empty()) return;
    report.Add(0, "", "The file has no \"data\" chunk: it holds no audio.");
}

void CheckDataBeforeFmt(const CheckInput& input, Report& report) {
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    const wavedoc::GenericChunk& data = input.document.Data();
    if (fmt.Name().empty() || data.Name().empty() || data.Offset() > fmt.Offset()) return;
    report.Add(data.Offset(), data.Name(),
               "The \"data\" chunk at offset " + std::to_string(data.Offset()) +
                   " comes before the \"fmt \" chunk at offset " + std::to_string(fmt.Offset()) +
                   "; players that read the file in one pass cannot play it.");
}

void CheckTrailingBytes(const CheckInput& input, Report& report) {
    const WalkFacts& facts = input.facts;
    if (facts.RiffSizeIsPlaceholder() || facts.riffEndsInside) return;  // unfinished, riff-size
    const std::uint64_t riffEnd = facts.RiffEnd();
    if (riffEnd >= facts.fileLength) return;
    const std::uint64_t trailing = facts.fileLength - riffEnd;
    // An odd RIFF size is followed by its pad byte.
    if (riffEnd % 2 == 1 && trailing == 1) return;
    report.Add(riffEnd, "",
               Counted(trailing, "byte follows", "bytes follow") + " the end of the RIFF chunk at offset " +
                   std::to_string(riffEnd) + "; readers that go by the RIFF size do not see them.");
}

}  // namespace wavecheck::detail
