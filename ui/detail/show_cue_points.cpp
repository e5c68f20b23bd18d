// The cue and playlist chunks: a count row, then a numbered block per entry.
#include <string>

#include "detail_routines.h"
#include "detail_rows.h"
#include "wavedoc/document/wave_document.h"

void ShowCuePoints(const wavedoc::WaveDocument& document, RowSink& values) {
    AddNumberRow(values, "Number of cue points", document.Cue().CuePointCount());
    ForEachListedEntry(document.Cue().CuePointCount(), "cue points", [&](std::int16_t i) {
        AddHeadingRow(values, "     Cue Point #" + std::to_string(i));
        const auto cuePoint = document.Cue().CuePoints().Item(i);
        AddNumberRow(values, "     ID", cuePoint.Id());
        AddNumberRow(values, "     Position", cuePoint.Position());
        AddValueRow(values, "     Data chunk ID", cuePoint.DataChunkId());
        AddNumberRow(values, "     Chunk start", cuePoint.ChunkStart());
        AddNumberRow(values, "     Block start", cuePoint.BlockStart());
        AddNumberRow(values, "     Sample offset", cuePoint.SampleOffset());
    });
}

void ShowPlaylist(const wavedoc::WaveDocument& document, RowSink& values) {
    AddNumberRow(values, "Number of segments", document.Plst().SegmentCount());
    ForEachListedEntry(document.Plst().SegmentCount(), "segments", [&](std::int16_t i) {
        AddHeadingRow(values, "     Segment #" + std::to_string(i));
        const auto segment = document.Plst().Segments().Item(i);
        AddNumberRow(values, "     Cue point ID", segment.CuePointId());
        AddNumberRow(values, "     Lenght (in samples)", segment.Length());
        AddNumberRow(values, "     Number of repeats", segment.Repeats());
    });
}
