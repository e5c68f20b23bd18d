// The cue chunk's points and the playlist's segments.

#include "wavecheck/checks.h"

namespace wavecheck::detail {
namespace {

namespace layout = wavedoc::layout;
constexpr std::uint64_t kCountSize = 4;

// Where the index-th record (1-based) of a count-and-records chunk starts.
std::uint64_t RecordOffset(const wavedoc::ChunkBase& chunk, std::int32_t index,
                           const layout::RecordLayout& records) {
    return chunk.Offset() + layout::kChunkHeaderSize + records.firstRecord +
           static_cast<std::uint64_t>(index - 1) * records.recordSize;
}

// The count field against the records the chunk's size makes room for; the
// count is read only when the chunk holds it. A count beyond that room is
// given at `beyond`.
template <typename Chunk>
void CheckCount(const Chunk& chunk, std::int32_t (Chunk::*countField)() const,
                const layout::RecordLayout& records, Report& report, Level beyond) {
    const std::optional<std::uint64_t> present = Present(chunk);
    const std::uint64_t size = Stored(chunk.Size());
    if (!present || *present < kCountSize || size < kCountSize) return;
    const std::uint32_t count = Stored((chunk.*countField)());
    const std::uint64_t held = (size - records.firstRecord) / records.recordSize;
    if (count == held) return;
    const std::string says = "The " + Quoted(chunk.Name()) + " chunk's count says " +
                             CountField(count, records.noun, records.nounPlural) +
                             ", but its size makes room for " + std::to_string(held);
    if (count > held) {
        report.Add(chunk.Offset(), chunk.Name(), says + "; readers that go by the count read past the chunk.",
                   beyond);
    } else {
        report.Add(chunk.Offset(), chunk.Name(), says + ".");
    }
}

}  // namespace

void CheckCueCount(const CheckInput& input, Report& report) {
    const wavedoc::CueChunk& cue = input.document.Cue();
    if (cue.Name().empty() || SizeTakesInMore(input, cue)) return;
    // libsndfile reads as many points as the count says: past the chunk it
    // takes the next chunk's bytes for points, or misses the data chunk.
    CheckCount(cue, &wavedoc::CueChunk::CuePointCount, layout::kCuePoints, report, Level::Error);
}

void CheckCuePastData(const CheckInput& input, Report& report) {
    const wavedoc::CueChunk& cue = input.document.Cue();
    const auto& cues = Cues(input);
    const std::optional<AudioLength> length = LengthOfAudio(input);
    if (!cues || !length) return;
    FirstFault fault;
    for (std::size_t i = 0; i < cues->points.size(); ++i) {
        const CuePointFields& point = cues->points[i];
        if (point.sampleOffset <= length->frames) continue;  // a cue point may mark the very end
        const std::uint64_t record = RecordOffset(cue, static_cast<std::int32_t>(i + 1), layout::kCuePoints);
        fault.Note(record, cue, [&] {
            return "Cue point " + std::to_string(i + 1) + " (id " + FieldValue(point.id) + ") " +
                   RecordPlace(record, cue) + " lies at sample " + FieldValue(point.sampleOffset) +
                   ", past the end of " + length->words + ".";
        });
    }
    fault.AddTo(report, "cue point", "cue points");
}

void CheckCueIdDuplicate(const CheckInput& input, Report& report) {
    const wavedoc::CueChunk& cue = input.document.Cue();
    const auto& cues = Cues(input);
    if (!cues) return;
    FirstFault fault;
    for (const std::size_t i : cues->repeatedIds) {
        const std::uint32_t id = cues->points[i].id;
        const std::uint64_t record = RecordOffset(cue, static_cast<std::int32_t>(i + 1), layout::kCuePoints);
        fault.Note(record, cue, [&] {
            return "Cue point " + std::to_string(i + 1) + " " + RecordPlace(record, cue) + " has id " +
                   std::to_string(id) + ", the same as an earlier cue point, so what names id " +
                   std::to_string(id) + " cannot tell them apart.";
        });
    }
    fault.AddTo(report, "cue point", "cue points");
}

void CheckPlstCount(const CheckInput& input, Report& report) {
    const wavedoc::PlstChunk& plst = input.document.Plst();
    if (plst.Name().empty()) return;
    CheckCount(plst, &wavedoc::PlstChunk::SegmentCount, layout::kPlaySegments, report, Level::Warning);
}

void CheckPlstUnknownCue(const CheckInput& input, Report& report) {
    const wavedoc::PlstChunk& plst = input.document.Plst();
    const auto& cues = Cues(input);
    if (plst.Name().empty() || !cues) return;
    FirstFault fault;
    // The first kMostRecords segments are looked at.
    const std::int64_t held = std::min<std::int64_t>(plst.Segments().Count(), kMostRecords);
    for (std::int32_t i = 1; i <= held; ++i) {
        const std::uint32_t id = Stored(plst.Segments().Item(i).CuePointId());
        if (cues->offsets.Contains(id)) continue;
        const std::uint64_t record = RecordOffset(plst, i, layout::kPlaySegments);
        fault.Note(record, plst, [&] {
            return "Play segment " + std::to_string(i) + " " + RecordPlace(record, plst) +
                   " names cue point id " + std::to_string(id) + ", which the \"cue \" chunk does not hold.";
        });
    }
    fault.AddTo(report, "play segment", "play segments");
}

}  // namespace wavecheck::detail
