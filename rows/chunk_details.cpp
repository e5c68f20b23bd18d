#include "chunk_details.h"

#include <array>
#include <new>
#include <optional>
#include <string_view>

#include "detail_routines.h"
#include "detail_rows.h"
#include "wavedoc/chunks/chunk_types.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/wave_error.h"

namespace rows {

namespace {

using DetailRoutine = void (*)(const wavedoc::WaveDocument&, RowSink&);

struct KindRoutine {
    wavedoc::ChunkKind kind;
    DetailRoutine routine;
};

// The routine of each chunk kind, keyed by the kind it shows.
constexpr std::array<KindRoutine, wavedoc::kChunkTypes.size()> kDetailRoutines = {{
    {wavedoc::ChunkKind::Riff, ShowRiffType},
    {wavedoc::ChunkKind::Fmt, ShowFormat},
    {wavedoc::ChunkKind::Fact, ShowFact},
    {wavedoc::ChunkKind::Wavl, ShowWaveList},
    {wavedoc::ChunkKind::Slnt, ShowSilence},
    {wavedoc::ChunkKind::Cue, ShowCuePoints},
    {wavedoc::ChunkKind::Plst, ShowPlaylist},
    {wavedoc::ChunkKind::List, ShowAssociatedData},
    {wavedoc::ChunkKind::Smpl, ShowSampler},
    {wavedoc::ChunkKind::Inst, ShowInstrument},
    {wavedoc::ChunkKind::Pad, ShowPadByte},
    {wavedoc::ChunkKind::Data, ShowDataChunk},
}};

// Every kind has its routine, at the index of its kind, so none is missed.
// (The table has one slot per kind, so a missing kind shows as one out of place.)
constexpr bool EveryKindHasItsRoutine() {
    for (std::size_t i = 0; i < kDetailRoutines.size(); ++i) {
        if (static_cast<std::size_t>(kDetailRoutines[i].kind) != i) {
            return false;
        }
    }
    return true;
}
static_assert(EveryKindHasItsRoutine(), "kDetailRoutines lists each chunk kind once, in kind order");

// The routine for a chunk name as the chunk list writes it (trailing spaces
// included, case-sensitive); the list chunk answers to both spellings.
DetailRoutine RoutineFor(std::string_view chunkName) {
    for (const wavedoc::ChunkType& type : wavedoc::kChunkTypes) {
        if (type.id == chunkName || (!type.otherId.empty() && type.otherId == chunkName)) {
            return kDetailRoutines[static_cast<std::size_t>(type.kind)].routine;
        }
    }
    return nullptr;
}

// Runs `routine` for the chunk named `chunkName`, its stops made sentences.
template <typename Routine>
std::optional<std::string> ShowGuarded(const wavedoc::WaveDocument& document, std::string_view chunkName,
                                       const Routine& routine) {
    // The routine's many small reads share one opening of the file. When the
    // file has changed since it was loaded, the routine still shows the
    // fields the load holds; its first read of the file stops it, since the
    // file may now hold other records at the same places.
    std::optional<wavedoc::ReadingSession> session;
    std::optional<std::string> changedSince;
    try {
        session.emplace(document.Source());
    } catch (const wavedoc::FileChangedError& changed) {
        changedSince = changed.what();
    }
    try {
        routine();
    } catch (const wavedoc::FileChangedError& changed) {
        return changed.what();
    } catch (const wavedoc::WaveDocError& error) {
        return IncompleteSentence(chunkName, error.what());
    } catch (const DetailStop& stop) {
        return IncompleteSentence(chunkName, stop.what());
    } catch (const std::bad_alloc&) {
        return IncompleteSentence(chunkName, "there is not enough memory.");
    }
    return changedSince;
}

}  // namespace

std::optional<std::string> ShowChunkDetails(const wavedoc::WaveDocument& document,
                                            const std::string& chunkName, RowSink& values) {
    values.ClearRows();
    const DetailRoutine routine = RoutineFor(chunkName);
    if (routine == nullptr) return std::nullopt;
    return ShowGuarded(document, chunkName, [&] { routine(document, values); });
}

std::optional<std::string> ShowListEntryDetails(const wavedoc::WaveDocument& document, std::uint64_t offset,
                                                RowSink& values) {
    values.ClearRows();
    return ShowGuarded(document, document.List().Name(),
                       [&] { ShowAssociatedDataEntry(document, offset, values); });
}

}  // namespace rows
