#pragma once

#include <array>
#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "wavedoc/chunks/chunk_types.h"
#include "wavedoc/chunks/cue_chunk.h"
#include "wavedoc/chunks/fact_chunk.h"
#include "wavedoc/chunks/fmt_chunk.h"
#include "wavedoc/chunks/generic_chunk.h"
#include "wavedoc/chunks/inst_chunk.h"
#include "wavedoc/chunks/list_chunk.h"
#include "wavedoc/chunks/plst_chunk.h"
#include "wavedoc/chunks/slnt_chunk.h"
#include "wavedoc/chunks/smpl_chunk.h"

namespace wavedoc {

// The chunk objects of a document, one per chunk type, at the place of its
// ChunkKind: a new type is a kind, a row of kChunkTypes and its class here,
// and the assertions below point at whatever else is missing.
using ChunkStore = std::tuple<GenericChunk,  // Riff: the header, with the form type as content
                              FmtChunk, FactChunk,
                              GenericChunk,  // wavl: the audio is never read
                              SlntChunk, CueChunk, PlstChunk, ListChunk, SmplChunk, InstChunk,
                              GenericChunk,   // PAD: the pad byte shown
                              GenericChunk>;  // data: the audio is never read
static_assert(std::tuple_size_v<ChunkStore> == kChunkTypes.size(), "one chunk object for each chunk type");

// The class of the chunk object of `kind`.
template <ChunkKind kind>
using ChunkClassOf = std::tuple_element_t<static_cast<std::size_t>(kind), ChunkStore>;

template <ChunkKind kind>
ChunkClassOf<kind>& ChunkIn(ChunkStore& store) {
    return std::get<static_cast<std::size_t>(kind)>(store);
}
template <ChunkKind kind>
const ChunkClassOf<kind>& ChunkIn(const ChunkStore& store) {
    return std::get<static_cast<std::size_t>(kind)>(store);
}

namespace store_detail {

template <std::size_t... place>
constexpr auto Readers(std::index_sequence<place...>) {
    return std::array<const ChunkBase& (*)(const ChunkStore&), sizeof...(place)>{
        [](const ChunkStore& store) -> const ChunkBase& { return std::get<place>(store); }...};
}

// Chunks whose object is made from their span alone; the list shown is
// chosen once the whole file is walked, and the header is read before it.
template <std::size_t... place>
constexpr auto Takers(std::index_sequence<place...>) {
    return std::array<void (*)(ChunkStore&, const ChunkSpan&), sizeof...(place)>{
        [](ChunkStore& store, const ChunkSpan& span) {
            using Class = std::tuple_element_t<place, ChunkStore>;
            if constexpr (std::is_constructible_v<Class, const ChunkSpan&>)
                std::get<place>(store) = Class(span);
        }...};
}

inline constexpr auto kPlaces = std::make_index_sequence<std::tuple_size_v<ChunkStore>>();

}  // namespace store_detail

// The chunk object of `kind`, as its accessor returns it.
inline const ChunkBase& ChunkIn(const ChunkStore& store, ChunkKind kind) {
    static constexpr auto kReaders = store_detail::Readers(store_detail::kPlaces);
    return kReaders[static_cast<std::size_t>(kind)](store);
}

// Makes the chunk object of `kind` from the chunk at `span`; the list shown
// and the RIFF header are made apart.
inline void TakeChunk(ChunkStore& store, ChunkKind kind, const ChunkSpan& span) {
    if (kind == ChunkKind::Riff || kind == ChunkKind::List) return;
    static constexpr auto kTakers = store_detail::Takers(store_detail::kPlaces);
    kTakers[static_cast<std::size_t>(kind)](store, span);
}

}  // namespace wavedoc
