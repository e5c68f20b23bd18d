#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "wavedoc/document/chunk_store.h"
#include "wavedoc/document/file_walk.h"
#include "wavedoc/document/structure_map.h"

namespace wavedoc {

// Results of Load.
enum LoadStatus : std::int16_t {
    LoadOk = 0,
    LoadNotRiff = 1,     // shorter than 4 bytes, or does not start with "RIFF"
    LoadNotWave = 2,     // "RIFF" without "WAVE" at offset 8
    LoadUnreadable = 3,  // the path cannot be opened or read; see LoadError()
};

// Which forms of WAV a Load reads. The chunk list reads RIFF alone; the
// structure map, the rows of every chunk and the check also read the 64-bit
// forms, RF64 and BW64, whose sizes over 4 GB are kept in a ds64 chunk.
enum class LoadForms { Riff, AnyForm };

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

    // Reads the file in one walk. An observer, when given, is told of every
    // entry that walk meets (the check listens there), so nothing needs to
    // walk the file again; after a failed load it has seen only part of it.
    std::int16_t Load(const std::string& path, WalkObserver* observer = nullptr,
                      LoadForms forms = LoadForms::Riff);
    // The same from bytes in memory; displayName stands for the path in messages.
    std::int16_t LoadFromMemory(std::string bytes, const std::string& displayName,
                                WalkObserver* observer = nullptr, LoadForms forms = LoadForms::Riff);

    // Why the last Load failed, in plain words (empty after a success).
    const std::string& LoadError() const;

    // What the last successful Load leaves out of the chunk list that no
    // finding speaks of, one sentence each naming the file (see
    // LoadNoteWriter). Kept, like the chunks, when a later Load fails.
    const std::vector<std::string>& LoadNotes() const;

    // The whole file as the last successful Load walked it, bounded.
    const StructureMap& Structure() const;

    // The form of the file the last successful Load read, and for a 64-bit
    // form the sizes of its ds64 chunk, when it has one where readers look.
    FileForm Form() const;
    const std::optional<Ds64Sizes>& Ds64() const;
    // The order its numbers were read in: the form's, unless the head names
    // one order and the sizes fit only the other (a RIFX head on a file
    // written least significant byte first), when OrderSwapped() is true.
    ByteOrder Order() const;
    bool OrderSwapped() const;
    // A copy in which the chunk of `entry`'s type is the one at `entry`, so
    // that a later chunk of a type shows its fields through the same routine
    // as the first. `entry` is a top-level chunk of Structure(), of a type the
    // document holds and not a list; for any other entry the copy holds the
    // same chunks as this document. The copy shares the file, its form and
    // ds64 sizes, but has no map, load notes or form refusal: it is for
    // showing that one chunk. Reads the chunk's head as Load reads the first
    // one's; a failed read raises WaveDocError.
    std::unique_ptr<WaveDocument> WithChunkFrom(const MapEntry& entry) const;

    // Why the chunk list does not show a file of a 64-bit form, in the words
    // it gives when Load reads RIFF alone; empty for a RIFF file.
    std::string FormRefusal() const;

private:
    struct Chunks;
    std::int16_t LoadFrom(std::shared_ptr<const ByteSource> source, WalkObserver* observer, LoadForms forms);

    std::unique_ptr<Chunks> chunks_;
    std::string loadError_;
};

}  // namespace wavedoc
