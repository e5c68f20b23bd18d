#pragma once

#include "wavecheck/check_support.h"

// One function per finding code; finding_table.cpp lists them with their codes.
// An entry check runs on each entry the walk meets; a document check runs
// once on the loaded document.
namespace wavecheck::detail {

// check_structure.cpp
void CheckRiffSize(const CheckInput& input, Report& report);
void CheckDs64Missing(const CheckInput& input, Report& report);
void CheckDs64NotFirst(const CheckInput& input, Report& report);
void CheckDs64Short(const CheckInput& input, Report& report);
void CheckDs64Table(const CheckInput& input, Report& report);
void CheckUnfinished(const CheckInput& input, Report& report);
void CheckSizeWrapped(const CheckInput& input, Report& report);
void CheckByteOrder(const CheckInput& input, Report& report);
void CheckPastEnd(const EntryInput& input, Report& report);
void CheckCutHeader(const EntryInput& input, Report& report);
void CheckNotAChunk(const EntryInput& input, Report& report);
void CheckStrayAfterAudio(const CheckInput& input, Report& report);
void CheckPadMissing(const EntryInput& input, Report& report);
void CheckPadNotZero(const EntryInput& input, Report& report);
void CheckListSizeOdd(const CheckInput& input, Report& report);
void CheckFmtSizeOdd(const CheckInput& input, Report& report);
void CheckDuplicate(const EntryInput& input, Report& report);
void CheckChunkId(const EntryInput& input, Report& report);
void CheckFmtMissing(const CheckInput& input, Report& report);
void CheckDataMissing(const CheckInput& input, Report& report);
void CheckDataBeforeFmt(const CheckInput& input, Report& report);
void CheckTrailingBytes(const CheckInput& input, Report& report);

// check_format.cpp
void CheckFmtShort(const CheckInput& input, Report& report);
void CheckFmtZero(const CheckInput& input, Report& report);
void CheckSampleSize(const CheckInput& input, Report& report);
void CheckSampleRate(const CheckInput& input, Report& report);
void CheckBlockAlign(const CheckInput& input, Report& report);
void CheckByteRate(const CheckInput& input, Report& report);
void CheckCbSize(const CheckInput& input, Report& report);
void CheckFmtExtra(const CheckInput& input, Report& report);
void CheckFmtRifx(const CheckInput& input, Report& report);
void CheckValidBits(const CheckInput& input, Report& report);
void CheckChannelMask(const CheckInput& input, Report& report);

// check_fact_data.cpp
void CheckFactMissing(const CheckInput& input, Report& report);
void CheckFactLength(const CheckInput& input, Report& report);
void CheckPartialFrame(const CheckInput& input, Report& report);

// check_cue_playlist.cpp
void CheckCueCount(const CheckInput& input, Report& report);
void CheckCuePastData(const CheckInput& input, Report& report);
void CheckCueIdDuplicate(const CheckInput& input, Report& report);
void CheckPlstCount(const CheckInput& input, Report& report);
void CheckPlstUnknownCue(const CheckInput& input, Report& report);

// check_associated_data.cpp
void CheckAdtlUnknownCue(const CheckInput& input, Report& report);
void CheckLtxtPastData(const CheckInput& input, Report& report);
void CheckTextUnterminated(const CheckInput& input, Report& report);

// check_sampler.cpp
void CheckLoopCount(const CheckInput& input, Report& report);
void CheckSamplerData(const CheckInput& input, Report& report);
void CheckLoopOrder(const CheckInput& input, Report& report);
void CheckLoopPastData(const CheckInput& input, Report& report);
void CheckLoopType(const CheckInput& input, Report& report);
void CheckLoopCueId(const CheckInput& input, Report& report);
void CheckUnityNote(const CheckInput& input, Report& report);
void CheckInstRange(const CheckInput& input, Report& report);

// check_short_chunks.cpp
void CheckChunkShort(const CheckInput& input, Report& report);

// check_bext.cpp
void CheckBextVersion(const CheckInput& input, Report& report);
void CheckBextDate(const CheckInput& input, Report& report);
void CheckBextReserved(const CheckInput& input, Report& report);
void CheckBextLoudness(const CheckInput& input, Report& report);
void CheckBextAscii(const CheckInput& input, Report& report);
void CheckBextHistoryLines(const CheckInput& input, Report& report);

// check_tags.cpp
void CheckXmlMalformed(const CheckInput& input, Report& report);
void CheckId3Size(const CheckInput& input, Report& report);
void CheckMd5(const CheckInput& input, Report& report);

// check_sound.cpp
void CheckLoudnessMismatch(const CheckInput& input, Report& report);
void CheckPeakMismatch(const CheckInput& input, Report& report);
void CheckSamplesNotFinite(const CheckInput& input, Report& report);

}  // namespace wavecheck::detail
