// The labels, notes and labelled texts of the associated data list shown.
#include "wavecheck/checks.h"

namespace wavecheck::detail {
namespace {

using wavedoc::MapEntry;

constexpr std::uint64_t kHeaderSize = 8;
constexpr std::uint64_t kCueIdSize = 4;      // dwName, first in labl, note and ltxt
constexpr std::uint64_t kLtxtLengthEnd = 8;  // dwSampleLength follows it in ltxt

std::uint32_t Little32(std::string_view bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= std::uint32_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
    return value;
}

// The sub-chunks of the list the document shows, when it is an associated
// data list; the map holds at most kMostMapped of them.
const std::vector<MapEntry>* ShownAdtl(const CheckInput& input) {
    const wavedoc::ListChunk& list = input.document.List();
    if (list.Name().empty()) return nullptr;
    const MapEntry* entry = EntryAt(input, list.Offset());
    if (entry == nullptr || entry->listType != "adtl") return nullptr;
    return &entry->children;
}

bool IsText(const MapEntry& entry) { return entry.IsChunk() && (entry.id == "labl" || entry.id == "note"); }
bool NamesCuePoint(const MapEntry& entry) {
    return (IsText(entry) || (entry.IsChunk() && entry.id == "ltxt")) && entry.present >= kCueIdSize;
}

// dwName and, for an ltxt, dwSampleLength.
struct CueReference {
    std::uint32_t id = 0;
    std::uint32_t length = 0;
};

CueReference ReadReference(const CheckInput& input, const MapEntry& entry) {
    const std::string bytes =
        input.document.Source()->Read(entry.offset + kHeaderSize, std::min(entry.present, kLtxtLengthEnd));
    CueReference reference;
    if (bytes.size() >= kCueIdSize) reference.id = Little32(bytes);
    if (bytes.size() >= kLtxtLengthEnd) reference.length = Little32(std::string_view(bytes).substr(4));
    return reference;
}

}  // namespace

void CheckAdtlUnknownCue(const CheckInput& input, Report& report) {
    const std::vector<MapEntry>* entries = ShownAdtl(input);
    const auto cueOffsets = CueOffsets(input);
    if (entries == nullptr || !cueOffsets) return;
    FirstFault fault;
    for (const MapEntry& entry : *entries) {
        if (!NamesCuePoint(entry)) continue;
        const std::uint32_t id = ReadReference(input, entry).id;
        if (cueOffsets->contains(id)) continue;
        fault.Note(entry.offset, entry.id, [&] {
            return "The " + Quoted(entry.id) + " at offset " + std::to_string(entry.offset) +
                   " names cue point id " + std::to_string(id) + ", which the \"cue \" chunk does not hold.";
        });
    }
    fault.AddTo(report, "entry", "entries");
}

void CheckLtxtPastData(const CheckInput& input, Report& report) {
    const std::vector<MapEntry>* entries = ShownAdtl(input);
    const auto cueOffsets = CueOffsets(input);
    const std::optional<std::uint64_t> frames = DataFrames(input);
    if (entries == nullptr || !cueOffsets || !frames) return;
    FirstFault fault;
    for (const MapEntry& entry : *entries) {
        if (!entry.IsChunk() || entry.id != "ltxt" || entry.present < kLtxtLengthEnd) continue;
        const CueReference reference = ReadReference(input, entry);
        const auto cue = cueOffsets->find(reference.id);
        if (cue == cueOffsets->end()) continue;  // adtl-unknown-cue
        const std::uint64_t end = std::uint64_t{cue->second} + reference.length;
        if (end <= *frames) continue;
        fault.Note(entry.offset, entry.id, [&] {
            return "The \"ltxt\" at offset " + std::to_string(entry.offset) + " runs from frame " +
                   std::to_string(cue->second) + " (cue point id " + std::to_string(reference.id) + ") for " +
                   Count(reference.length, "frame", "frames") + " to frame " + std::to_string(end) +
                   ", past the end of the \"data\" chunk's " + Count(*frames, "frame", "frames") + ".";
        });
    }
    fault.AddTo(report, "labelled text", "labelled texts");
}

void CheckTextUnterminated(const CheckInput& input, Report& report) {
    const std::vector<MapEntry>* entries = ShownAdtl(input);
    if (entries == nullptr) return;
    FirstFault fault;
    for (const MapEntry& entry : *entries) {
        if (!IsText(entry) || entry.present < kCueIdSize) continue;
        // The text ends with its zero byte, the last byte of the content.
        if (entry.present > kCueIdSize) {
            const std::string last =
                input.document.Source()->Read(entry.offset + kHeaderSize + entry.present - 1, 1);
            if (last.size() == 1 && last[0] == '\0') continue;
        }
        fault.Note(entry.offset, entry.id, [&] {
            return "The text of the " + Quoted(entry.id) + " at offset " + std::to_string(entry.offset) +
                   " does not end with a zero byte, so readers may run on past it.";
        });
    }
    fault.AddTo(report, "text", "texts");
}

}  // namespace wavecheck::detail
