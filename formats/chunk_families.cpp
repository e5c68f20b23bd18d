#include "formats/chunk_families.h"

#include <array>

namespace formats {
namespace {

// A four-byte id as one number; 0 for an id of any other length.
constexpr std::uint32_t IdKey(std::string_view id) {
    if (id.size() != 4) return 0;
    std::uint32_t key = 0;
    for (const char c : id) key = key << 8 | static_cast<unsigned char>(c);
    return key;
}

struct ChunkFamily {
    std::uint32_t key;  // the chunk's id as IdKey gives it; 0 for a list
    std::string_view listType;
    Family family;
};

constexpr ChunkFamily Chunk(std::string_view id, Family family) { return {IdKey(id), {}, family}; }
constexpr ChunkFamily List(std::string_view type, Family family) { return {0, type, family}; }

// The one table of ids: adding a family is a line here, then its decoder.
constexpr std::array kFamilies = {
    Chunk("bext", Family::Bext),    List("INFO", Family::InfoList),
    List("exif", Family::ExifList), Chunk("iXML", Family::Xml),
    Chunk("_PMX", Family::Xml),     Chunk("axml", Family::Xml),
    Chunk("id3 ", Family::Id3),     Chunk("ID3 ", Family::Id3),
    Chunk("cart", Family::Cart),    Chunk("acid", Family::Acid),
    Chunk("PEAK", Family::Peak),    Chunk("levl", Family::PeakEnvelope),
    Chunk("umid", Family::Umid),    Chunk("MD5 ", Family::Md5),
    Chunk("DISP", Family::Display), Chunk("chna", Family::ChannelAssignment),
    Chunk("ds64", Family::Ds64),    Chunk("JUNK", Family::Filler),
    Chunk("junk", Family::Filler),  Chunk("FLLR", Family::Filler),
    Chunk("filr", Family::Filler),  Chunk("PAD ", Family::Filler),
};

}  // namespace

Family FamilyOf(std::string_view id, bool isList, std::string_view listType) {
    const std::uint32_t key = isList ? 0 : IdKey(id);
    if (!isList && key == 0) return Family::None;
    for (const ChunkFamily& row : kFamilies) {
        if (isList ? row.key == 0 && row.listType == listType : row.key == key) return row.family;
    }
    return Family::None;
}

bool IsZeroEndedText(Family list, std::string_view itemId) {
    return list == Family::InfoList && !itemId.empty() && itemId[0] == 'I';
}

}  // namespace formats
