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
// named once, in formats/chunk_families.cpp. A new chunk type is a family in
// formats/chunk_families.h, its ids in formats/chunk_families.cpp, a line here
// and its routine in a file of its own.
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

// Every family but None has its decoder, listed in the order of the enum, so
// a family named without one does not build.
constexpr bool DecodesEveryFamily() {
    if (kDecoders.size() + 1 != static_cast<std::size_t>(formats::Family::Count)) return false;
    for (std::size_t i = 0; i < kDecoders.size(); ++i) {
        if (kDecoders[i].family != static_cast<formats::Family>(i + 1)) return false;
    }
    return true;
}
static_assert(DecodesEveryFamily(), "each chunk family needs its decoder in kDecoders, in the enum's order");

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
