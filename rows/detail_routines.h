#pragma once

#include <cstdint>

#include "row_sink.h"

namespace wavedoc {
class WaveDocument;
}

namespace rows {

// One routine per chunk type. Each fetches its chunk from the document for
// every row it appends, so it shows what the document holds now. A read the
// chunk cannot answer raises wavedoc::WaveDocError and a count or octave
// outside 16 bits raises DetailStop; the rows appended before stay.

void ShowRiffType(const wavedoc::WaveDocument& document, RowSink& values);
void ShowFormat(const wavedoc::WaveDocument& document, RowSink& values);
void ShowFact(const wavedoc::WaveDocument& document, RowSink& values);
void ShowWaveList(const wavedoc::WaveDocument& document, RowSink& values);
void ShowSilence(const wavedoc::WaveDocument& document, RowSink& values);
void ShowPadByte(const wavedoc::WaveDocument& document, RowSink& values);
void ShowDataChunk(const wavedoc::WaveDocument& document, RowSink& values);

void ShowCuePoints(const wavedoc::WaveDocument& document, RowSink& values);
void ShowPlaylist(const wavedoc::WaveDocument& document, RowSink& values);

void ShowAssociatedData(const wavedoc::WaveDocument& document, RowSink& values);
// The rows ShowAssociatedData gives the label, note or labelled text whose
// header lies at `offset`; none when no entry of the list starts there.
void ShowAssociatedDataEntry(const wavedoc::WaveDocument& document, std::uint64_t offset, RowSink& values);

void ShowSampler(const wavedoc::WaveDocument& document, RowSink& values);
void ShowInstrument(const wavedoc::WaveDocument& document, RowSink& values);

}  // namespace rows
