// The file's chunk structure: sizes, headers, pad bytes, which chunks it holds.
#include <array>

#include "wavecheck/checks.h"

namespace wavecheck::detail {
namespace {

using wavedoc::MapEntry;

constexpr std::uint64_t kHeaderSize = 8;
constexpr std::uint32_t kStreamingSize = 0xFFFFFFFF;

// Calls visit(entry, parent) for each entry of the map, a list's sub-chunks
// (and theirs) after it; parent is null at the top level. The map holds at
// most kMostMapped entries a level, and no deeper than the lists it walked.
template <typename Visit>
void EachEntry(const std::vector<MapEntry>& level, const MapEntry* parent, Visit& visit) {
    for (const MapEntry& entry : level) {
        visit(entry, parent);
        EachEntry(entry.children, &entry, visit);
    }
}

template <typename Visit>
void EachEntry(const CheckInput& input, Visit visit) {
    EachEntry(input.map, static_cast<const MapEntry*>(nullptr), visit);
}

// Stray bytes after the end the RIFF size gives belong to trailing-bytes.
bool AfterRiffEnd(const CheckInput& input, const MapEntry& entry) {
    return entry.afterRiffEnd && !RiffSizeIsPlaceholder(input);
}

// "0x41": a byte as two hexadecimal digits.
std::string Hex(unsigned char byte) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    return std::string("0x") + kDigits[byte >> 4] + kDigits[byte & 0xF];
}

std::string Where(const MapEntry* parent) {
    return parent == nullptr ? "the file" : "its " + Quoted(parent->id) + " chunk";
}

}  // namespace

void CheckRiffSize(const CheckInput& input, Report& report) {
    const std::uint64_t after = input.document.Source()->Length() - kHeaderSize;
    const std::uint32_t size = RiffSize(input);
    if (size == after) return;
    const std::string holds = ", and the file holds " + std::to_string(after) + " bytes after it.";
    if (size == 0) {
        report.Add(0, "RIFF",
                   "The RIFF size field holds 0, the placeholder a streaming writer leaves when it cannot "
                   "go back to fill it in" +
                       holds,
                   Level::Note);
    } else if (size == kStreamingSize) {
        report.Add(0, "RIFF",
                   "The RIFF size field holds 0xFFFFFFFF, the placeholder a streaming writer leaves when it "
                   "cannot go back to fill it in" +
                       holds,
                   Level::Note);
    } else {
        report.Add(0, "RIFF",
                   "The RIFF size field says " + std::to_string(size) +
                       " bytes follow it, but the file holds " + std::to_string(after) + " after it.");
    }
}

void CheckPastEnd(const CheckInput& input, Report& report) {
    EachEntry(input, [&](const MapEntry& entry, const MapEntry* parent) {
        if (!entry.IsChunk() || entry.present >= entry.size) return;
        const std::string what = parent == nullptr ? "chunk" : "sub-chunk";
        if (parent == nullptr && entry.size == kStreamingSize) {
            report.Add(entry.offset, entry.id,
                       "The " + Quoted(entry.id) +
                           " chunk's size field holds 0xFFFFFFFF, the placeholder a streaming writer leaves; "
                           "the file holds " +
                           Count(entry.present, "byte", "bytes") + " of it.",
                       Level::Note);
            return;
        }
        report.Add(entry.offset, entry.id,
                   "The " + Quoted(entry.id) + " " + what + " at offset " + std::to_string(entry.offset) +
                       " says it holds " + Count(entry.size, "byte", "bytes") + ", but " + Where(parent) +
                       " ends after " + std::to_string(entry.present) + " of them.");
    });
}

void CheckCutHeader(const CheckInput& input, Report& report) {
    EachEntry(input, [&](const MapEntry& entry, const MapEntry* parent) {
        if (entry.stray != wavedoc::Stray::CutHeader || AfterRiffEnd(input, entry)) return;
        report.Add(entry.offset, parent != nullptr ? parent->id : "",
                   "The last " + Count(entry.length, "byte", "bytes") + " of " + Where(parent) +
                       ", from offset " + std::to_string(entry.offset) +
                       ", are too few for a chunk header: a chunk was cut off there.");
    });
}

void CheckNotAChunk(const CheckInput& input, Report& report) {
    EachEntry(input, [&](const MapEntry& entry, const MapEntry* parent) {
        if (entry.stray != wavedoc::Stray::NotAChunk || AfterRiffEnd(input, entry)) return;
        report.Add(entry.offset, parent != nullptr ? parent->id : "",
                   "The " + Count(entry.length, "byte", "bytes") + " from offset " +
                       std::to_string(entry.offset) + " to the end of " + Where(parent) +
                       " do not start with a chunk id, so nothing in them can be read.");
    });
}

void CheckPadMissing(const CheckInput& input, Report& report) {
    EachEntry(input, [&](const MapEntry& entry, const MapEntry* /*parent*/) {
        if (!entry.IsChunk() || entry.pad != wavedoc::PadByte::Missing) return;
        report.Add(entry.offset, entry.id,
                   "The " + Quoted(entry.id) + " chunk at offset " + std::to_string(entry.offset) +
                       " holds " + Count(entry.size, "byte", "bytes") +
                       ", an odd number, but no pad byte follows it; readers that expect one lose the "
                       "chunk after it.");
    });
}

void CheckPadNotZero(const CheckInput& input, Report& report) {
    EachEntry(input, [&](const MapEntry& entry, const MapEntry* /*parent*/) {
        if (!entry.IsChunk() || entry.pad != wavedoc::PadByte::Present || !entry.padValue ||
            *entry.padValue == 0) {
            return;
        }
        report.Add(entry.offset, entry.id,
                   "The pad byte after the " + Quoted(entry.id) + " chunk at offset " +
                       std::to_string(entry.offset) + " is " + Hex(*entry.padValue) + ", not zero.");
    });
}

void CheckDuplicate(const CheckInput& input, Report& report) {
    // Every type the document holds appears once, except lists.
    std::array<bool, wavedoc::kChunkTypes.size()> seen{};
    for (const MapEntry& entry : input.map) {
        const wavedoc::ChunkType* type = entry.IsChunk() ? wavedoc::FindChunkType(entry.id) : nullptr;
        if (type == nullptr || type->kind == wavedoc::ChunkKind::List) continue;
        bool& earlier = seen[static_cast<std::size_t>(type->kind)];
        if (earlier) {
            report.Add(entry.offset, entry.id,
                       "The file holds a second " + Quoted(entry.id) + " chunk at offset " +
                           std::to_string(entry.offset) +
                           "; a file holds one, so readers take the first and ignore this one.");
        }
        earlier = true;
    }
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
    if (RiffSizeIsPlaceholder(input)) return;
    const std::uint64_t length = input.document.Source()->Length();
    const std::uint64_t riffEnd = kHeaderSize + RiffSize(input);
    if (riffEnd >= length) return;
    const std::uint64_t trailing = length - riffEnd;
    // An odd RIFF size is followed by its pad byte.
    if (riffEnd % 2 == 1 && trailing == 1) return;
    report.Add(riffEnd, "",
               Count(trailing, "byte follows", "bytes follow") + " the end of the RIFF chunk at offset " +
                   std::to_string(riffEnd) + "; readers that go by the RIFF size do not see them.");
}

}  // namespace wavecheck::detail
