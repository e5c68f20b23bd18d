#include "chunkinfo/decoder_table.h"

#include <array>

#include "formats/chunk_families.h"
#include "wavedoc/chunks/chunk_types.h"
#include "wavedoc/document/structure_map.h"

namespace chunkinfo {
namespace {

struct Decoder {
    formats::Family family;
    ChunkRoutine routine;
};

// What each family of chunks is decoded with; the ids of the families are
// named once, in formats/chunk_families.cpp. A new chunk type is a line
// there, a line here and its routine in a file of its own.
constexpr std::array kDecoders = {
    Decoder{formats::Family::Bext, ShowBroadcastExtension},
    Decoder{formats::Family::InfoList, ShowInfoList},
    Decoder{formats::Family::ExifList, ShowExifList},
    Decoder{formats::Family::Xml, ShowXml},
    Decoder{formats::Family::Id3, ShowId3Tag},
    Decoder{formats::Family::Cart, ShowCart},
    Decoder{formats::Family::Acid, ShowAcid},
    Decoder{formats::Family::Peak, ShowPeak},
    Decoder{formats::Family::PeakEnvelope, ShowPeakEnvelope},
    Decoder{formats::Family::Umid, ShowUmid},
    Decoder{formats::Family::Md5, ShowMd5},
    Decoder{formats::Family::Display, ShowDisplay},
    Decoder{formats::Family::ChannelAssignment, ShowChannelAssignment},
    Decoder{formats::Family::Ds64, ShowDs64},
    Decoder{formats::Family::Filler, ShowFiller},
};

}  // namespace

ChunkRoutine RoutineFor(const wavedoc::MapEntry& entry) {
    if (!entry.IsChunk()) return nullptr;
    // The chunks the chunk list shows have their own detail routines; a list
    // is the exception, as the chunk list shows only its type.
    if (entry.listing == wavedoc::Listing::Listed && !entry.IsList() && wavedoc::FindChunkType(entry.id)) {
        return nullptr;
    }
    const formats::Family family = formats::FamilyOf(entry.id, entry.IsList(), entry.listType);
    for (const Decoder& decoder : kDecoders) {
        if (decoder.family == family) return decoder.routine;
    }
    return nullptr;
}

}  // namespace chunkinfo
