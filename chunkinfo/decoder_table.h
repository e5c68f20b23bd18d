#pragma once

#include "chunkinfo/decoders.h"

namespace wavedoc {
struct MapEntry;
}

namespace chunkinfo {

// The routine that decodes an entry, or null when none does (its first bytes
// are shown then).
ChunkRoutine RoutineFor(const wavedoc::MapEntry& entry);

}  // namespace chunkinfo
