#include "chunkinfo/decoder_table.h"

#include <array>
#include <string_view>

#include "wavedoc/chunks/chunk_types.h"
#include "wavedoc/chunks/riff_layout.h"
#include "wavedoc/document/structure_map.h"

namespace chunkinfo {
namespace {

struct Decoder {
    std::string_view id;        // as stored; "LIST" stands for both spellings of a list
    std::string_view listType;  // a list's type; empty for any other chunk
    ChunkRoutine routine;
};

// The one table of what is decoded: adding a chunk type is one line here and
// its routine in a file of its own.
constexpr std::array kDecoders = {
    Decoder{"bext", "", ShowBroadcastExtension},
    Decoder{"LIST", "INFO", ShowInfoList},
    Decoder{"iXML", "", ShowXml},
    Decoder{"_PMX", "", ShowXml},
    Decoder{"axml", "", ShowXml},
    Decoder{"id3 ", "", ShowId3Tag},
    Decoder{"ID3 ", "", ShowId3Tag},
    Decoder{"cart", "", ShowCart},
    Decoder{"acid", "", ShowAcid},
    Decoder{"PEAK", "", ShowPeak},
    Decoder{"levl", "", ShowPeakEnvelope},
    Decoder{"umid", "", ShowUmid},
    Decoder{"MD5 ", "", ShowMd5},
    Decoder{"DISP", "", ShowDisplay},
    Decoder{"chna", "", ShowChannelAssignment},
    Decoder{"JUNK", "", ShowFiller},
    Decoder{"junk", "", ShowFiller},
    Decoder{"FLLR", "", ShowFiller},
    Decoder{"filr", "", ShowFiller},
    Decoder{"PAD ", "", ShowFiller},
};

bool Matches(const Decoder& decoder, const wavedoc::MapEntry& entry) {
    if (wavedoc::layout::IsListId(decoder.id)) {
        return wavedoc::layout::IsListId(entry.id) && entry.listType == decoder.listType;
    }
    return entry.id == decoder.id;
}

}  // namespace

ChunkRoutine RoutineFor(const wavedoc::MapEntry& entry) {
    if (!entry.IsChunk()) return nullptr;
    // The chunks the chunk list shows have their own detail routines; a list
    // is the exception, as the chunk list shows only its type.
    if (entry.listing == wavedoc::Listing::Listed && !entry.IsList() && wavedoc::FindChunkType(entry.id)) {
        return nullptr;
    }
    for (const Decoder& decoder : kDecoders) {
        if (Matches(decoder, entry)) return decoder.routine;
    }
    return nullptr;
}

}  // namespace chunkinfo
