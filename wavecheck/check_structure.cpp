// The file's chunk structure: sizes, headers, pad bytes, which chunks it holds.
#include <algorithm>

#include "wavecheck/checks.h"
#include "wavecheck/trailer_ids.h"

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
           (layout::IsStreamingPlaceholder(input.entry.size) || input.facts.IsBogusDataSize(input.entry));
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

// The chunk before this entry in its level, when its pad byte waits to be
// judged by what follows it.
const std::optional<MapEntry>& PadPending(const EntryInput& input) {
    return input.facts
        .padPending[static_cast<std::size_t>(std::min(input.entry.depth, wavedoc::kMostListDepth))];
}

// Chunks writers add to reserve room: nothing is lost with them.
bool IsFiller(std::string_view id) {
    return id == "JUNK" || id == "junk" || id == "PAD " || id == "pad " || id == "FLLR" || id == "fllr";
}

// The entry lies in a list that runs past its own end.
bool LevelIsCut(const EntryInput& input) {
    return input.entry.depth > 0 &&
           input.facts
               .levelCut[static_cast<std::size_t>(std::min(input.entry.depth, wavedoc::kMostListDepth))];
}

// Chunks a streaming writer added after the audio of a data chunk whose
// size it never filled in: they lie inside that chunk's bytes, running
// exactly to the end of the file.
struct ChunksInAudio {
    std::uint64_t offset = 0;  // where the first starts
    std::uint64_t bytes = 0;   // from there to the end of the file
    std::uint64_t chunks = 0;
    std::string firstId;
};

// The bytes of a data chunk's end that are looked through for chunks after
// the audio: a fixed window, whatever the size of the audio.
constexpr std::uint64_t kTrailerWindow = 64 * 1024;

// Chunks in the last bytes of the data chunk whose sizes run from one to
// the next exactly to `end`: the data chunk's own end, or past it the end
// of the file, where the data chunk's size takes in the start of them.
std::optional<ChunksInAudio> ChunksAtEnd(const CheckInput& input, const MapEntry& data, std::uint64_t end) {
    const std::uint64_t contentEnd = data.offset + layout::kChunkHeaderSize + data.present;
    if (end < contentEnd || end - contentEnd > kTrailerWindow) return std::nullopt;
    const std::uint64_t start = contentEnd - std::min(data.present, kTrailerWindow);
    const std::string bytes = input.document.Source()->Read(start, end - start);
    // In the file's byte order: most significant byte first in a RIFX file.
    const auto sizeAt = [&](std::size_t at) {
        return wavedoc::NumberIn(wavedoc::BytesOf(std::string_view(bytes).substr(at), layout::header::kSize),
                                 input.document.Order());
    };
    // A run that fails from one place fails from every place it passed: each
    // is followed once, so the window costs its length, not its square.
    std::vector<bool> fails(bytes.size(), false);
    std::vector<std::uint64_t> passed;
    // The first chunk starts inside the data chunk.
    const std::size_t firstLimit = static_cast<std::size_t>(contentEnd - start);
    const std::size_t firstEnd = bytes.size() < layout::kChunkHeaderSize
                                     ? 0
                                     : std::min(firstLimit, bytes.size() - layout::kChunkHeaderSize + 1);
    for (std::size_t first = kTrailerIds.NextCandidate(bytes.data(), 0, firstEnd); first < firstEnd;
         first = kTrailerIds.NextCandidate(bytes.data(), first + 1, firstEnd)) {
        if (!kTrailerIds.Holds(bytes.data() + first) || fails[first]) continue;
        std::uint64_t at = first;
        std::uint64_t count = 0;
        passed.clear();
        while (at + layout::kChunkHeaderSize <= bytes.size() && !fails[at] &&
               kTrailerIds.Holds(bytes.data() + at)) {
            passed.push_back(at);
            const std::uint64_t size = sizeAt(at);
            ++count;
            const std::uint64_t next = at + layout::kChunkHeaderSize + size;
            if (next == bytes.size() || (size % 2 == 1 && next + 1 == bytes.size())) {
                return ChunksInAudio{start + first, bytes.size() - first, count, bytes.substr(first, 4)};
            }
            at = next + size % 2;
        }
        for (const std::uint64_t place : passed) fails[place] = true;
    }
    return std::nullopt;
}

std::optional<ChunksInAudio> ChunksAfterAudio(const CheckInput& input, const MapEntry& data) {
    return ChunksAtEnd(input, data, data.offset + layout::kChunkHeaderSize + data.present);
}

// The first id of a chunk writers add after the audio within the first bytes
// of a run of stray bytes, and where it stands: a chunk the bytes before it
// hide from every reader.
std::optional<std::pair<std::uint64_t, std::string>> KnownIdWithin(const CheckInput& input,
                                                                   const MapEntry& stray) {
    const std::string bytes =
        input.document.Source()->Read(stray.offset, std::min(stray.length, kTrailerWindow));
    for (std::size_t at = 1; at + layout::kChunkHeaderSize <= bytes.size(); ++at) {
        if (kHiddenIds.Holds(bytes.data() + at)) return std::pair(stray.offset + at, bytes.substr(at, 4));
    }
    return std::nullopt;
}

// Bytes that are no chunk, read as a chunk header: whether the size there
// runs past the end of the file. libsndfile takes them for a chunk, finds it
// too big and stops reading there, which its log complains of.
bool StraySizeRunsPastEnd(const CheckInput& input, std::uint64_t offset, std::uint64_t length) {
    if (length < layout::kChunkHeaderSize) return false;
    const std::string header = input.document.Source()->Read(offset, layout::kChunkHeaderSize);
    if (header.size() < layout::kChunkHeaderSize) return false;
    const std::uint64_t size =
        wavedoc::NumberIn(std::string_view(header).substr(4, 4), input.document.Order());
    return offset + layout::kChunkHeaderSize + size > input.facts.fileLength;
}

// The RIFF size the check goes by is the ds64 chunk's: the RIFF size field
// holds 0xFFFFFFFF in a 64-bit file that has one.
bool RiffSizeInDs64(const CheckInput& input) {
    return input.document.Ds64() && Stored(input.document.RiffHeader().Size()) == layout::kSizeInDs64;
}

// Where the RIFF size ends the form before the end of the fmt or data
// chunk, what readers that go by it lose (Python's wave refuses the file or
// reads only the audio inside); nothing when both lie inside it.
std::optional<std::string> RiffEndCutsAudio(const CheckInput& input) {
    const std::uint64_t end = input.facts.RiffEnd();
    for (const wavedoc::ChunkBase* chunk : {static_cast<const wavedoc::ChunkBase*>(&input.document.Fmt()),
                                            static_cast<const wavedoc::ChunkBase*>(&input.document.Data())}) {
        if (chunk->Name().empty()) continue;
        const std::uint64_t contentEnd = chunk->Offset() + layout::kChunkHeaderSize + chunk->Present();
        if (end >= contentEnd) continue;
        const bool data = chunk == &input.document.Data();
        const std::string where = (end <= chunk->Offset() ? "before the " : "inside the ") +
                                  Quoted(chunk->Name()) + " chunk at offset " +
                                  std::to_string(chunk->Offset());
        if (end <= chunk->Offset()) {
            return where + (data ? "; readers that go by it find no audio."
                                 : "; readers that go by it find no format and refuse the file.");
        }
        return where + (data ? "; readers that go by it lose the audio after that."
                             : "; readers that go by it cannot read the format and refuse the file.");
    }
    return std::nullopt;
}

}  // namespace

void CheckRiffSize(const CheckInput& input, Report& report) {
    const WalkFacts& facts = input.facts;
    const std::uint64_t after = facts.fileLength - layout::kChunkHeaderSize;
    if (facts.riffSize == after || facts.RiffSizeIsPlaceholder() || RiffSizeCountsMissingPads(facts)) return;
    if (WrappedAudio(input)) return;  // size-wrapped says it
    const std::string says =
        (RiffSizeInDs64(input) ? "The RIFF size in the ds64 chunk says " : "The RIFF size field says ") +
        CountSize(facts.riffSize, "byte follows", "bytes follow") + " it";
    if (facts.RiffEnd() > facts.fileLength) {
        // The file is cut short, or bytes that are no chunk stand where the
        // chunks should: past-end, cut-header or not-a-chunk says where.
        if (facts.topLevelRunsPastEnd || facts.topLevelCutHeader || facts.topLevelNotAChunk) return;
        const std::uint64_t missing = facts.RiffEnd() - facts.fileLength;
        if (missing < layout::kChunkHeaderSize && facts.lastTopLevel && facts.lastTopLevel->IsChunk()) {
            report.Add(0, "RIFF",
                       says + ", but the file holds " + std::to_string(after) +
                           " after it: " + text::Counted(missing, "byte", "bytes") +
                           " more than there are, too few for a chunk header, so no chunk is missing and "
                           "nothing is lost, though readers that go by it complain of an early end.");
            return;
        }
        const bool lost = input.document.Fmt().Name().empty() || input.document.Data().Name().empty();
        if (lost) {
            report.Add(0, "RIFF",
                       says + ", but the file holds " + std::to_string(after) +
                           " after it: it was likely cut short, and the " +
                           (input.document.Fmt().Name().empty() ? "\"fmt \"" : "\"data\"") +
                           " chunk with the rest.",
                       Level::Error);
            return;
        }
        report.Add(0, "RIFF",
                   says + ", but the file holds " + std::to_string(after) +
                       " after it; readers that go by it look for more than there is.");
        return;
    }
    if (const std::optional<std::string> lost = RiffEndCutsAudio(input)) {
        report.Add(
            0, "RIFF",
            says + ", so the RIFF chunk ends at offset " + std::to_string(facts.RiffEnd()) + ", " + *lost,
            Level::Error);
        return;
    }
    if (!facts.riffEndsInside) return;  // bytes after a whole chunk: trailing-bytes
    const MapEntry& cut = *facts.riffEndsInside;
    report.Add(0, "RIFF",
               says + ", so the RIFF chunk ends at offset " + std::to_string(facts.RiffEnd()) +
                   ", inside the " + Quoted(cut.id) + " chunk at offset " + std::to_string(cut.offset) +
                   "; readers that go by it lose the rest of that chunk and all after it.");
}

void CheckUnfinished(const CheckInput& input, Report& report) {
    const WalkFacts& facts = input.facts;
    const bool riff = facts.RiffSizeIsPlaceholder();
    const bool last = facts.LastChunkSizeIsPlaceholder();
    if (StrayFollowsEmptyData(facts)) {
        // A streaming writer's placeholder of 0: the audio follows an empty
        // data chunk. Said once, with the placeholder sizes around it.
        const MapEntry& stray = *facts.strayAfterAudio;
        report.Add(
            stray.offset, "",
            "The " + text::Counted(stray.length, "byte", "bytes") + " from offset " +
                std::to_string(stray.offset) +
                " to the end of the file do not start with a chunk id: they follow the " +
                ChunkAt(*facts.lastTopLevelChunk) +
                ", whose size of 0 a streaming writer likely never filled in, so they are likely its audio; "
                "readers that trust the size find none, others play what follows as noise.",
            Level::Error);
        return;
    }
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
    const bool bogus = !riff && facts.IsBogusDataSize(*facts.lastTopLevel);
    std::string sentence =
        bogus
            ? "The file was never given the size of its audio: " + fields[0] +
                  ", more than the file holds, though the RIFF size fits the file, so readers that trust it "
                  "misjudge the length."
            : "The file was likely written as a stream and never finished: " + fields[0] +
                  (fields.size() > 1 ? " and " + fields[1] : std::string()) +
                  (fields.size() > 1 ? ", placeholders its writer never went back to fill in, so "
                                       "readers that trust them "
                                     : ", a placeholder its writer never went back to fill in, so "
                                       "readers that trust it ") +
                  "stop early or misjudge the length.";
    std::optional<ChunksInAudio> after;
    if (last) {
        sentence += " The file holds " + text::Counted(facts.lastTopLevel->present, "byte", "bytes") +
                    " of the " + Quoted(facts.lastTopLevel->id) + " chunk.";
        after = ChunksAfterAudio(input, *facts.lastTopLevel);
    }
    if (after) {
        // Readers that play the data chunk to the end of the file play these
        // chunks as audio: noise, and their content lost to them.
        sentence +=
            " Its last " + text::Counted(after->bytes, "byte", "bytes") + ", from offset " +
            std::to_string(after->offset) + ", are " + text::Counted(after->chunks, "chunk", "chunks") +
            " written after the audio, the first a " + Quoted(after->firstId) +
            " chunk; readers that play to the end of the file play them as noise and lose what they hold.";
    }
    report.Add(last ? facts.lastTopLevel->offset : 0, last ? facts.lastTopLevel->id : "RIFF", sentence,
               after ? Level::Error : Level::Warning);
}

void CheckSizeWrapped(const CheckInput& input, Report& report) {
    const std::optional<std::uint64_t> audio = WrappedAudio(input);
    if (!audio) return;
    const MapEntry& data = *input.facts.lastTopLevelChunk;
    report.Add(
        data.offset, data.id,
        "The " + ChunkAt(data) + " says it holds " + text::Counted(data.size, "byte", "bytes") +
            ", but the file holds " + text::Counted(*audio, "byte", "bytes") +
            " after its header to its end, that size plus a multiple of 4 GiB: a recording of 4 GiB or "
            "more written as plain RIFF, whose 32-bit sizes wrapped; readers that trust the sizes play "
            "only the first " +
            text::Counted(data.size, "byte", "bytes") + " of it.");
}

void CheckByteOrder(const CheckInput& input, Report& report) {
    if (!input.document.OrderSwapped()) return;
    const bool rifx = input.facts.form == wavedoc::FileForm::Rifx;
    report.Add(
        0, rifx ? "RIFX" : "RIFF",
        std::string("The file starts with ") +
            (rifx ? "\"RIFX\", which says its numbers are stored most "
                    "significant byte first"
                  : "\"RIFF\", which says its numbers are stored least "
                    "significant byte first") +
            ", but its sizes fit the file only the other way round, so Ondulo reads them so; readers that "
            "trust the head misread every size and field and refuse the file.");
}

void CheckPastEnd(const EntryInput& input, Report& report) {
    const MapEntry& entry = input.entry;
    if (!entry.IsChunk() || entry.present >= entry.DeclaredSize() || IsUnfinishedLastChunk(input)) return;
    // The last sub-chunk of a list that is itself cut short is cut by the
    // same fault: the list's finding says it.
    if (entry.depth > 0 && entry.last && LevelIsCut(input)) return;
    // A data chunk of a 64-bit file that leaves its size to a ds64 chunk which
    // gives none: ds64-missing, ds64-not-first or ds64-short says why.
    const bool sixtyFour =
        input.facts.form == wavedoc::FileForm::Rf64 || input.facts.form == wavedoc::FileForm::Bw64;
    if (sixtyFour && entry.depth == 0 && entry.size == layout::kSizeInDs64 && !entry.ds64Size) return;
    report.AddMade(entry.offset, entry.id, [&] {
        return "The " + Quoted(entry.id) + " " + What(entry) + " at offset " + std::to_string(entry.offset) +
               (entry.ds64Size ? " has a size in the ds64 chunk of " : " says it holds ") +
               CountSize(entry.DeclaredSize(), "byte", "bytes") + ", but " + Where(entry) + " ends after " +
               std::to_string(entry.present) + " of them.";
    });
}

void CheckCutHeader(const EntryInput& input, Report& report) {
    const MapEntry& entry = input.entry;
    if (entry.stray != wavedoc::Stray::CutHeader || AreTrailingBytes(input) || LevelIsCut(input)) return;
    const WalkFacts& facts = input.facts;
    if (entry.depth == 0 && facts.topLevelCutHeader) {
        report.AddMade(entry.offset, entry.parentId, [&] {
            return "The file ends " + text::Counted(entry.length, "byte", "bytes") +
                   " into a chunk header at offset " + std::to_string(entry.offset) +
                   ", though the RIFF size says " +
                   text::Counted(facts.RiffEnd() - facts.fileLength, "byte follows", "bytes follow") +
                   ": the file was cut off there, and the chunk that started there is lost.";
        });
        return;
    }
    // Bytes too few for a header, where the size of the RIFF chunk or of the
    // list covers them: they may be a writer's filler as well as a cut.
    // Readers skip them, but SciPy, which reads an id and then a size at the
    // top level, refuses the file when the size is missing and warns of a
    // part of an id; libsndfile complains of them in a list.
    const bool idWithoutSize = entry.depth == 0 && entry.length >= 4;
    report.AddMade(
        entry.offset, entry.parentId,
        [&] {
            return "The last " + text::Counted(entry.length, "byte", "bytes") + " of " + Where(entry) +
                   ", from offset " + std::to_string(entry.offset) +
                   ", are too few for a chunk header, so no chunk starts there; " +
                   (idWithoutSize
                        ? "readers that read an id there find no size after it, and some refuse the file."
                        : "readers skip them, though some complain.");
        },
        idWithoutSize ? Level::Error : Level::Warning);
}

void CheckNotAChunk(const EntryInput& input, Report& report) {
    const MapEntry& entry = input.entry;
    if (entry.stray != wavedoc::Stray::NotAChunk || AreTrailingBytes(input)) return;
    // Before the fmt or data chunk readers stop where Ondulo stops and find no
    // audio; after both, what the bytes hold decides (CheckStrayAfterAudio).
    const bool beforeAudio = entry.depth == 0 && (!input.facts.fmtMet || !input.facts.dataMet);
    if (entry.depth == 0 && !beforeAudio) return;
    if (!entry.strayId.empty() && !beforeAudio) {
        // One chunk whose id is not printable, with nothing after it: readers
        // skip it as a chunk they do not know.
        report.AddMade(
            entry.offset, entry.parentId,
            [&] {
                return "The " + text::Counted(entry.length, "byte", "bytes") + " from offset " +
                       std::to_string(entry.offset) + " to the end of " + Where(entry) +
                       " are a chunk whose id " + QuotedText(entry.strayId) +
                       " is not four printable characters; nothing follows it, so readers skip it and "
                       "nothing is lost, though some complain.";
            },
            Level::Warning);
        return;
    }
    report.AddMade(
        entry.offset, entry.parentId,
        [&] {
            return "The " + text::Counted(entry.length, "byte", "bytes") + " from offset " +
                   std::to_string(entry.offset) + " to the end of " + Where(entry) +
                   " do not start with a chunk id, so nothing in them can be read" +
                   (beforeAudio
                        ? std::string("; readers stop there too and find no ") +
                              (input.facts.fmtMet ? "\"data\"" : "\"fmt \"") + " chunk, so they play nothing."
                        : std::string("; readers skip them, and every chunk before them is read, though some "
                                      "complain."));
        },
        beforeAudio ? std::nullopt : std::optional(Level::Warning));
}

void CheckStrayAfterAudio(const CheckInput& input, Report& report) {
    const WalkFacts& facts = input.facts;
    if (!facts.strayAfterAudio) return;
    const MapEntry& stray = *facts.strayAfterAudio;
    const std::string bytes = "The " + text::Counted(stray.length, "byte", "bytes") + " from offset " +
                              std::to_string(stray.offset) +
                              " to the end of the file do not start with a chunk id";
    const std::optional<MapEntry>& before = facts.lastTopLevelChunk;
    const bool afterData =
        before && before->id == "data" && before->offset + before->Covered() == stray.offset;
    // A streaming writer's placeholder, the audio after an empty data chunk
    // (unfinished), or a size that wrapped (size-wrapped).
    if (StrayFollowsEmptyData(facts) || WrappedAudio(input)) return;
    if (afterData) {
        if (const std::optional<ChunksInAudio> taken =
                ChunksAtEnd(input, *before, stray.offset + stray.length)) {
            report.Add(stray.offset, "",
                       bytes + ": the " + ChunkAt(*before) + " takes in the start of the " +
                           Quoted(taken->firstId) + " chunk at offset " + std::to_string(taken->offset) +
                           ", whose rest they are; readers play that as noise and lose the chunk.");
            return;
        }
    }
    if (const std::optional<std::pair<std::uint64_t, std::string>> hidden = KnownIdWithin(input, stray)) {
        report.Add(stray.offset, "",
                   bytes + ", but a " + Quoted(hidden->second) + " chunk id stands among them at offset " +
                       std::to_string(hidden->first) +
                       ": readers stop before it and lose that chunk and all after it.");
        return;
    }
    if (!stray.strayId.empty()) {
        report.Add(
            stray.offset, "",
            "The " + text::Counted(stray.length, "byte", "bytes") + " from offset " +
                std::to_string(stray.offset) + " to the end of the file are a chunk whose id " +
                QuotedText(stray.strayId) +
                " is not four printable characters; nothing follows it, so readers skip it and nothing is "
                "lost, though some stop reading there and complain.",
            Level::Warning);
        return;
    }
    const bool complained = StraySizeRunsPastEnd(input, stray.offset, stray.length);
    report.Add(
        stray.offset, "",
        bytes + "; readers skip them, and every chunk before them is read" +
            (complained ? ", though readers that take them for a chunk find it too big and complain." : "."),
        complained ? Level::Warning : Level::Note);
}

void CheckPadMissing(const EntryInput& input, Report& report) {
    const MapEntry& entry = input.entry;
    const auto sentence = [](const MapEntry& chunk) {
        return "The " + Quoted(chunk.id) + " " + What(chunk) + " at offset " + std::to_string(chunk.offset) +
               " holds " + text::Counted(chunk.DeclaredSize(), "byte", "bytes") +
               ", an odd number, but no pad byte follows it";
    };
    if (const std::optional<MapEntry>& before = PadPending(input);
        before && before->pad == wavedoc::PadByte::Missing && entry.IsChunk()) {
        // Readers that skip the pad byte start the next header one byte in
        // and stop there: without the fmt or data chunk after it, none plays.
        const bool stops = entry.depth == 0 && (entry.id == "data" || entry.id == "fmt ");
        // Readers lose what a top-level chunk after it holds, unless it is
        // filler, or the last chunk and one that holds nothing a reader shows:
        // a list of no items, or a chunk of its own kind no reader reads.
        const bool holdsNothingRead =
            entry.last &&
            ((entry.id == "LIST" && entry.size <= layout::kListTypeSize) || !IsTrailerId(entry.id));
        const bool loses = entry.depth == 0 && !IsFiller(entry.id) && !holdsNothingRead;
        report.AddMade(
            before->offset, before->id,
            [&] {
                return sentence(*before) + "; readers that expect one miss the " + Quoted(entry.id) + " " +
                       What(entry) + " after it" +
                       (stops
                            ? std::string(entry.id == "data" ? " and find no audio." : " and find no format.")
                        : holdsNothingRead ? std::string(", which holds nothing they show; some complain.")
                                           : std::string(" and all after it."));
            },
            stops || loses ? std::optional(Level::Error) : std::nullopt);
    }
    if (!entry.IsChunk() || entry.pad != wavedoc::PadByte::Missing || !entry.last) return;
    report.AddMade(
        entry.offset, entry.id,
        [&] { return sentence(entry) + "; nothing follows it either, so nothing is lost."; }, Level::Note);
}

void CheckPadNotZero(const EntryInput& input, Report& report) {
    const MapEntry& entry = input.entry;
    const auto add = [&](const MapEntry& chunk) {
        report.AddMade(chunk.offset, chunk.id, [&] {
            return "The pad byte after the " + Quoted(chunk.id) + " " + What(chunk) + " at offset " +
                   std::to_string(chunk.offset) + " is " + Hex(*chunk.padValue, 2) + ", not zero.";
        });
    };
    // A pad byte is one only where a chunk or the end follows it: before bytes
    // that are no chunk, the byte is part of what went wrong there.
    if (const std::optional<MapEntry>& before = PadPending(input);
        before && before->pad == wavedoc::PadByte::Present && entry.IsChunk()) {
        add(*before);
    }
    if (entry.IsChunk() && entry.last && entry.pad == wavedoc::PadByte::Present && entry.padValue &&
        *entry.padValue != 0) {
        add(entry);
    }
}

void CheckListSizeOdd(const CheckInput& input, Report& report) {
    if (!input.facts.chunkAfterOddList) return;
    const auto& [list, next] = *input.facts.chunkAfterOddList;
    // libsndfile jumps to the end of a list without its pad byte and reads
    // the next chunk's header one byte early.
    report.Add(
        list.offset, list.id,
        "The " + ChunkAt(list) + " holds " + text::Counted(list.DeclaredSize(), "byte", "bytes") +
            ", an odd number; readers that do not skip the pad byte after a list (libsndfile) read the " +
            ChunkAt(next) + " one byte early and lose it.");
}

void CheckFmtSizeOdd(const CheckInput& input, Report& report) {
    if (!input.facts.chunkAfterOddFmt) return;
    const auto& [fmt, next] = *input.facts.chunkAfterOddFmt;
    // SoX jumps to the end of the fmt chunk without its pad byte, then looks
    // for the data chunk from there and finds none.
    report.Add(fmt.offset, fmt.id,
               "The " + ChunkAt(fmt) + " holds " + text::Counted(fmt.DeclaredSize(), "byte", "bytes") +
                   ", an odd number; readers that do not skip the pad byte after it (SoX) miss the " +
                   ChunkAt(next) + " and what follows, and find no audio.");
}

void CheckDuplicate(const EntryInput& input, Report& report) {
    const MapEntry& entry = input.entry;
    if (entry.depth != 0) return;
    // The chunk list takes the first chunk of each type it shows; ds64 and
    // "MD5 " it does not show, but their readers take the first too.
    const bool later = entry.listing == wavedoc::Listing::LaterDuplicate ||
                       (entry.id == layout::kDs64Id && input.facts.ds64Chunks > 1) ||
                       (entry.id == "MD5 " && input.facts.md5Chunks > 1);
    if (!later) return;
    // libsndfile refuses an RF64 file with a second ds64 chunk, and a file
    // with a second fmt chunk; a second digest no reader of the audio looks at.
    const bool ds64 = entry.id == layout::kDs64Id;
    const bool fmt = entry.id == "fmt ";
    const bool md5 = entry.id == "MD5 ";
    report.AddMade(
        entry.offset, entry.id,
        [&] {
            return "The file holds another " + Quoted(entry.id) + " chunk at offset " +
                   std::to_string(entry.offset) +
                   (ds64 ? "; a file holds one, and some readers refuse a file with two."
                    : fmt
                        ? "; a file holds one, and readers that meet a second (libsndfile) refuse the file; "
                          "Ondulo shows the first."
                        : "; a file holds one, so readers (Ondulo too) take the first and ignore this one.");
        },
        ds64 || fmt ? std::optional(Level::Error)
        : md5       ? std::optional(Level::Note)
                    : std::nullopt);
}

void CheckChunkId(const EntryInput& input, Report& report) {
    const MapEntry& entry = input.entry;
    if (!entry.IsChunk()) return;
    // An id is letters or digits padded with spaces at its end: a space before
    // any other character makes an id no reader looks for.
    const std::size_t lastSpace = entry.id.find_last_of(' ');
    const std::size_t lastOther = entry.id.find_last_not_of(' ');
    if (lastSpace == std::string::npos || lastOther == std::string::npos || lastSpace > lastOther) return;
    report.AddMade(entry.offset, entry.id, [&] {
        return "The id of the " + What(entry) + " at offset " + std::to_string(entry.offset) + ", " +
               QuotedText(entry.id) +
               ", has a space before another character; ids are padded with spaces at their end only, so "
               "readers that look for a chunk of their own take it for one they do not know.";
    });
}

void CheckFmtMissing(const CheckInput& input, Report& report) {
    if (!input.document.Fmt().Name().empty() || input.facts.EndsShort()) return;  // as data-missing
    report.Add(0, "", "The file has no \"fmt \" chunk, so nothing tells how to play its audio.");
}

void CheckDataMissing(const CheckInput& input, Report& report) {
    // A chunk that runs past the end of the file takes in what follows it, a
    // data chunk among it; a file cut short loses it: past-end, cut-header,
    // not-a-chunk or riff-size says where.
    if (!input.document.Data().Name().empty() || input.facts.EndsShort()) return;
    report.Add(0, "", "The file has no \"data\" chunk: it holds no audio.");
}

void CheckDataBeforeFmt(const CheckInput& input, Report& report) {
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    const wavedoc::GenericChunk& data = input.document.Data();
    if (fmt.Name().empty() || data.Name().empty() || data.Offset() > fmt.Offset()) return;
    report.Add(data.Offset(), data.Name(),
               "The \"data\" chunk at offset " + std::to_string(data.Offset()) +
                   " comes before the \"fmt \" chunk at offset " + std::to_string(fmt.Offset()) +
                   "; readers that need the format before the audio (libsndfile, SoX, Python's wave, SciPy) "
                   "refuse the file.");
}

void CheckTrailingBytes(const CheckInput& input, Report& report) {
    const WalkFacts& facts = input.facts;
    if (facts.RiffSizeIsPlaceholder() || facts.riffEndsInside) return;  // unfinished, riff-size
    if (WrappedAudio(input)) return;                                    // size-wrapped
    const std::uint64_t riffEnd = facts.RiffEnd();
    if (riffEnd >= facts.fileLength || RiffEndCutsAudio(input)) return;
    const std::uint64_t trailing = facts.fileLength - riffEnd;
    // An odd RIFF size is followed by its pad byte.
    if (riffEnd % 2 == 1 && trailing == 1) return;
    const std::string sentence = text::Counted(trailing, "byte follows", "bytes follow") +
                                 " the end of the RIFF chunk at offset " + std::to_string(riffEnd);
    // libsndfile holds the RIFF size in a ds64 chunk to the file's length
    // and complains of bytes after it.
    const bool ds64Complains = RiffSizeInDs64(input);
    if (const std::optional<MapEntry>& chunk = facts.chunkAfterRiffEnd) {
        // Tag readers stop at the RIFF size: an ID3 tag past it is lost to
        // them. A list past it libsndfile and FFmpeg read all the same.
        if (chunk->id == "id3 " || chunk->id == "ID3 ") {
            report.Add(riffEnd, "",
                       sentence + "; they hold the " + ChunkAt(*chunk) +
                           ", whose ID3 tag readers that stop at the RIFF size (mutagen) do not find.",
                       Level::Error);
            return;
        }
        report.Add(
            riffEnd, "",
            sentence + "; they hold the " + ChunkAt(*chunk) +
                ", which readers that stop at the RIFF size miss, though libsndfile and FFmpeg read it.",
            ds64Complains ? Level::Warning : Level::Note);
        return;
    }
    const bool complained = ds64Complains || StraySizeRunsPastEnd(input, riffEnd, trailing);
    report.Add(riffEnd, "",
               sentence + "; they hold no whole chunk, so nothing is lost" +
                   (complained ? ", though some readers complain of them." : "."),
               complained ? Level::Warning : Level::Note);
}

}  // namespace wavecheck::detail
