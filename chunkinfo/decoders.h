#pragma once

#include "chunkinfo/chunk_input.h"
#include "rows/row_sink.h"

// One routine per chunk family, each in a file of its own. A routine appends
// its rows one by one; a field the chunk does not hold raises
// wavedoc::WaveDocError and content that cannot be read as its format says
// raises DetailStop (detail_rows.h), the rows appended before staying.
namespace chunkinfo {

using ChunkRoutine = void (*)(const ChunkInput& input, rows::RowSink& rows);

void ShowBroadcastExtension(const ChunkInput& input, rows::RowSink& rows);  // bext
void ShowInfoList(const ChunkInput& input, rows::RowSink& rows);            // LIST of type INFO
void ShowExifList(const ChunkInput& input, rows::RowSink& rows);            // LIST of type exif
void ShowXml(const ChunkInput& input, rows::RowSink& rows);                 // iXML, _PMX, axml
void ShowId3Tag(const ChunkInput& input, rows::RowSink& rows);              // id3 , ID3
void ShowCart(const ChunkInput& input, rows::RowSink& rows);                // cart
void ShowAcid(const ChunkInput& input, rows::RowSink& rows);                // acid
void ShowPeak(const ChunkInput& input, rows::RowSink& rows);                // PEAK
void ShowPeakEnvelope(const ChunkInput& input, rows::RowSink& rows);        // levl
void ShowUmid(const ChunkInput& input, rows::RowSink& rows);                // umid
void ShowMd5(const ChunkInput& input, rows::RowSink& rows);                 // MD5
void ShowDisplay(const ChunkInput& input, rows::RowSink& rows);             // DISP
void ShowChannelAssignment(const ChunkInput& input, rows::RowSink& rows);   // chna
void ShowDs64(const ChunkInput& input, rows::RowSink& rows);                // ds64
void ShowFiller(const ChunkInput& input, rows::RowSink& rows);              // JUNK, junk, FLLR, filr, PAD
void ShowFirstBytes(const ChunkInput& input, rows::RowSink& rows);          // any other entry

}  // namespace chunkinfo
