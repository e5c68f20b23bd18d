// The cue and playlist chunks: a count row, then a numbered block per entry.
#include <string>

#include "detail_routines.h"
#include "detail_rows.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/chunk_fields.h"

namespace rows {

namespace {

namespace cue = wavedoc::layout::cue;
namespace plst = wavedoc::layout::plst;

ByteRange CuePointPlace(const wavedoc::WaveDocument& document, std::int32_t i) {
    return ByteRange{document.Cue().CuePoints().ItemOffset(i), document.Cue().CuePoints().RecordSize()};
}

void ShowCuePoint(const wavedoc::WaveDocument& document, std::int16_t i, RowSink& values) {
    const std::optional<ByteRange> record = CuePointPlace(document, i);
    AddHeadingRow(values, "     Cue Point #" + std::to_string(i), record);
    const auto cuePoint = document.Cue().CuePoints().Item(i);
    AddNumberRow(values, "     ID", cuePoint.Id(), RangeWithin(record, cue::kName));
    AddNumberRow(values, "     Position", cuePoint.Position(), RangeWithin(record, cue::kPosition));
    AddValueRow(values, "     Data chunk ID", cuePoint.DataChunkId(), RangeWithin(record, cue::kChunk));
    AddNumberRow(values, "     Chunk start", cuePoint.ChunkStart(), RangeWithin(record, cue::kChunkStart));
    AddNumberRow(values, "     Block start", cuePoint.BlockStart(), RangeWithin(record, cue::kBlockStart));
    AddNumberRow(values, "     Sample offset", cuePoint.SampleOffset(),
                 RangeWithin(record, cue::kSampleOffset));
}

ByteRange SegmentPlace(const wavedoc::WaveDocument& document, std::int32_t i) {
    return ByteRange{document.Plst().Segments().ItemOffset(i), document.Plst().Segments().RecordSize()};
}

void ShowSegment(const wavedoc::WaveDocument& document, std::int16_t i, RowSink& values) {
    const std::optional<ByteRange> record = SegmentPlace(document, i);
    AddHeadingRow(values, "     Segment #" + std::to_string(i), record);
    const auto segment = document.Plst().Segments().Item(i);
    AddNumberRow(values, "     Cue point ID", segment.CuePointId(), RangeWithin(record, plst::kName));
    AddNumberRow(values, "     Lenght (in samples)", segment.Length(), RangeWithin(record, plst::kLength));
    AddNumberRow(values, "     Number of repeats", segment.Repeats(), RangeWithin(record, plst::kLoops));
}

}  // namespace

void ShowCuePoints(const wavedoc::WaveDocument& document, RowSink& values) {
    const wavedoc::CueChunk& cue = document.Cue();
    AddNumberRow(values, "Number of cue points", cue.CuePointCount(),
                 ContentRange(cue, wavedoc::layout::cue::kCount));
    ShowListedEntries(values, document, cue.CuePointCount(),
                      {"cue points", 7, cue.CuePoints().Count(), CuePointPlace, ShowCuePoint});
}

void ShowPlaylist(const wavedoc::WaveDocument& document, RowSink& values) {
    const wavedoc::PlstChunk& plst = document.Plst();
    AddNumberRow(values, "Number of segments", plst.SegmentCount(),
                 ContentRange(plst, wavedoc::layout::plst::kCount));
    ShowListedEntries(values, document, plst.SegmentCount(),
                      {"segments", 4, plst.Segments().Count(), SegmentPlace, ShowSegment});
}

}  // namespace rows
