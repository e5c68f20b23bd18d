#pragma once

#include "chunkinfo/chunk_input.h"
#include "ui/detail/row_sink.h"

// One routine per chunk family, each in a file of its own. A routine appends
// its rows one by one; a field the chunk does not hold raises
// wavedoc::WaveDocError and content that cannot be read as its format says
// raises DetailStop (detail_rows.h), the rows appended before staying.
namespace chunkinfo {

using ChunkRoutine = void (*)(const ChunkInput& input, RowSink& rows);

void ShowBroadcastExtension(const ChunkInput& input, RowSink& rows);  // bext
void ShowInfoList(const ChunkInput& input, RowSink& rows);            // LIST of type INFO
void ShowExifList(const ChunkInput& input, RowSink& rows);            // LIST of type exif
void ShowXml(const ChunkInput& input, RowSink& rows);                 // iXML, _PMX, axml
void ShowId3Tag(const ChunkInput& input, RowSink& rows);              // id3 , ID3
void ShowCart(const ChunkInput& input, RowSink& rows);                // cart
void ShowAcid(const ChunkInput& input, RowSink& rows);                // acid
void ShowPeak(const ChunkInput& input, RowSink& rows);                // PEAK
void ShowPeakEnvelope(const ChunkInput& input, RowSink& rows);        // levl
void ShowUmid(const ChunkInput& input, RowSink& rows);                // umid
void ShowMd5(const ChunkInput& input, RowSink& rows);                 // MD5
void ShowDisplay(const ChunkInput& input, RowSink& rows);             // DISP
void ShowChannelAssignment(const ChunkInput& input, RowSink& rows);   // chna
void ShowDs64(const ChunkInput& input, RowSink& rows);                // ds64
void ShowFiller(const ChunkInput& input, RowSink& rows);              // JUNK, junk, FLLR, filr, PAD
void ShowFirstBytes(const ChunkInput& input, RowSink& rows);          // any other entry

}  // namespace chunkinfo
