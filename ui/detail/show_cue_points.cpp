// The cue and playlist chunks: a count row, then a numbered block per entry.
#include <string>

#include "detail_routines.h"
#include "detail_rows.h"
#include "wavedoc/document/wave_document.h"

void ShowCuePoints(const wavedoc::WaveDocument& document, RowSink& values) {
    const wavedoc::CueChunk& cue = document.Cue();
    AddNumberRow(values, "Number of cue points", cue.CuePointCount(), ContentRange(cue, 0, 4));
    ForEachListedEntry(cue.CuePointCount(), "cue points", [&](std::int16_t i) {
        const ByteRange record{cue.CuePoints().ItemOffset(i), cue.CuePoints().RecordSize()};
        AddHeadingRow(values, "     Cue Point #" + std::to_string(i), record);
        const auto cuePoint = cue.CuePoints().Item(i);
        AddNumberRow(values, "     ID", cuePoint.Id(), RangeWithin(record, 0, 4));
        AddNumberRow(values, "     Position", cuePoint.Position(), RangeWithin(record, 4, 4));
        AddValueRow(values, "     Data chunk ID", cuePoint.DataChunkId(), RangeWithin(record, 8, 4));
        AddNumberRow(values, "     Chunk start", cuePoint.ChunkStart(), RangeWithin(record, 12, 4));
        AddNumberRow(values, "     Block start", cuePoint.BlockStart(), RangeWithin(record, 16, 4));
        AddNumberRow(values, "     Sample offset", cuePoint.SampleOffset(), RangeWithin(record, 20, 4));
    });
}

void ShowPlaylist(const wavedoc::WaveDocument& document, RowSink& values) {
    const wavedoc::PlstChunk& plst = document.Plst();
    AddNumberRow(values, "Number of segments", plst.SegmentCount(), ContentRange(plst, 0, 4));
    ForEachListedEntry(plst.SegmentCount(), "segments", [&](std::int16_t i) {
        const ByteRange record{plst.Segments().ItemOffset(i), plst.Segments().RecordSize()};
        AddHeadingRow(values, "     Segment #" + std::to_string(i), record);
        const auto segment = plst.Segments().Item(i);
        AddNumberRow(values, "     Cue point ID", segment.CuePointId(), RangeWithin(record, 0, 4));
        AddNumberRow(values, "     Lenght (in samples)", segment.Length(), RangeWithin(record, 4, 4));
        AddNumberRow(values, "     Number of repeats", segment.Repeats(), RangeWithin(record, 8, 4));
    });
}
