#include "chunkinfo/decoder_table.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "wavedoc/chunks/chunk_types.h"
#include "wavedoc/document/structure_map.h"
#include "wavedoc/reading/riff_layout.h"

namespace chunkinfo {
namespace {

// A chunk id as one number, so that finding an entry's decoder costs a few
// integer compares (a map holds up to 10,000 entries); 0 for an id that is
// not four bytes.
constexpr std::uint32_t IdKey(std::string_view id) {
    if (id.size() != 4) return 0;
    std::uint32_t key = 0;
    for (const char c : id) key = key << 8 | static_cast<unsigned char>(c);
    return key;
}

struct Decoder {
    constexpr Decoder(std::string_view id, std::string_view type, ChunkRoutine decode)
        : key(IdKey(id)), isList(wavedoc::layout::IsListId(id)), listType(type), routine(decode) {}

    std::uint32_t key;          // the id as stored, as IdKey gives it
    bool isList;                // "LIST" stands for both spellings of a list
    std::string_view listType;  // a list's type; empty for any other chunk
    ChunkRoutine routine;
};

// The one table of what is decoded: adding a chunk type is one line here and
// its routine in a file of its own.
constexpr std::array kDecoders = {
    Decoder{"bext", "", ShowBroadcastExtension},
    Decoder{"LIST", "INFO", ShowInfoList},
    Decoder{"LIST", "exif", ShowExifList},
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
    Decoder{"ds64", "", ShowDs64},
    Decoder{"JUNK", "", ShowFiller},
    Decoder{"junk", "", ShowFiller},
    Decoder{"FLLR", "", ShowFiller},
    Decoder{"filr", "", ShowFiller},
    Decoder{"PAD ", "", ShowFiller},
};

bool Matches(const Decoder& decoder, std::uint32_t entryKey, bool entryIsList,
             const wavedoc::MapEntry& entry) {
    if (decoder.isList) return entryIsList && entry.listType == decoder.listType;
    return entryKey == decoder.key;
}

}  // namespace

ChunkRoutine RoutineFor(const wavedoc::MapEntry& entry) {
    if (!entry.IsChunk()) return nullptr;
    // The chunks the chunk list shows have their own detail routines; a list
    // is the exception, as the chunk list shows only its type.
    if (entry.listing == wavedoc::Listing::Listed && !entry.IsList() && wavedoc::FindChunkType(entry.id)) {
        return nullptr;
    }
    const std::uint32_t key = IdKey(entry.id);
    const bool isList = entry.IsList();
    for (const Decoder& decoder : kDecoders) {
        if (Matches(decoder, key, isList, entry)) return decoder.routine;
    }
    return nullptr;
}

}  // namespace chunkinfo
