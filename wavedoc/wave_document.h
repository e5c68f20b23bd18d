#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "chunk_types.h"
#include "cue_chunk.h"
#include "fact_chunk.h"
#include "fmt_chunk.h"
#include "generic_chunk.h"
#include "inst_chunk.h"
#include "list_chunk.h"
#include "plst_chunk.h"
#include "slnt_chunk.h"
#include "smpl_chunk.h"

namespace wavedoc {

// Results of Load.
enum LoadStatus : std::int16_t {
    LoadOk = 0,
    LoadNotRiff = 1,     // shorter than 4 bytes, or does not start with "RIFF"
    LoadNotWave = 2,     // "RIFF" without "WAVE" at offset 8
    LoadUnreadable = 3,  // the path cannot be opened or read; see LoadError()
};

// One RIFF WAVE file read into chunk objects. Every accessor returns an object;
// a chunk type the file does not hold has an empty Name. Load is
// all-or-nothing: a failed load leaves the previous file's chunks in place.
// The file is not kept open after Load: what is read later (records, list
// entries) is read from the file again, once it is checked to be unchanged.
class WaveDocument {
public:
    WaveDocument();
    ~WaveDocument();
    WaveDocument(const WaveDocument&) = delete;
    WaveDocument& operator=(const WaveDocument&) = delete;

    const GenericChunk& Pad() const;
    const InstChunk& Inst() const;
    const SmplChunk& Smpl() const;
    const ListChunk& List() const;
    const PlstChunk& Plst() const;
    const CueChunk& Cue() const;
    const SlntChunk& Slnt() const;
    const GenericChunk& Wavl() const;
    const FactChunk& Fact() const;
    const GenericChunk& Data() const;
    GenericChunk& Data();
    const FmtChunk& Fmt() const;
    const GenericChunk& RiffHeader() const;
    // The chunk object of one type, as its accessor above returns it.
    const ChunkBase& Chunk(ChunkKind kind) const;

    // What the records and entries of the loaded file are read from: hold a
    // ReadingSession on it while showing a chunk, so that its many small
    // reads open the file once. Null before the first successful load.
    const ByteSource* Source() const;

    std::int16_t Load(const std::string& path);
    // The same from bytes in memory; displayName stands for the path in messages.
    std::int16_t LoadFromMemory(std::string bytes, const std::string& displayName);

    // Why the last Load failed, in plain words (empty after a success).
    const std::string& LoadError() const;

    // What the last successful Load got past or does not show, one sentence
    // each naming the file: a chunk or sub-chunk whose size runs past the end
    // of the file or its list, bytes that do not start a chunk or a header cut
    // off (what follows is not listed), a later chunk of a type already shown,
    // a streaming writer's placeholder size. Empty for a sound file; kept, like
    // the chunks, when a later Load fails.
    const std::vector<std::string>& LoadNotes() const;

private:
    struct Chunks;
    std::int16_t LoadFrom(std::shared_ptr<const ByteSource> source);

    std::unique_ptr<Chunks> chunks_;
    std::string loadError_;
};

}  // namespace wavedoc
