#pragma once

#include <cstdint>
#include <string_view>

namespace formats {

// The chunks beyond the twelve of the chunk list whose content Ondulo reads,
// each id named once here: the decoders show every family's fields, and the
// check judges some of them (bext, XML, ID3, the text items of INFO lists).
enum class Family : std::uint8_t {
    None,
    Bext,
    InfoList,  // a list of text items, ids starting with I
    ExifList,  // a list of camera items
    Xml,       // iXML, XMP (_PMX), axml
    Id3,
    Cart,
    Acid,
    Peak,
    PeakEnvelope,
    Umid,
    Md5,
    Display,
    ChannelAssignment,
    Ds64,
    Filler,  // JUNK, FLLR, PAD and their spellings
    Count,   // not a family: how many there are, kept last
};

// The family of a chunk: a list by its type (either spelling of the list id
// counts as a list), any other chunk by its id. Costs a few integer compares,
// since the walk asks for every entry of a map of up to 10,000.
Family FamilyOf(std::string_view id, bool isList, std::string_view listType);

// Whether an item of a list of this family is a text that ends with a zero
// byte, as INFO's are (other ids can stand among them: filler such as JUNK).
bool IsZeroEndedText(Family list, std::string_view itemId);

}  // namespace formats
