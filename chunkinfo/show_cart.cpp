// cart: the broadcast cart chunk of AES46 (as in CartChunk): fixed-size text
// fields, the level reference, eight post timers, a URL and then the free
// tag text, of which only what a cell shows is read.
#include <array>

#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"
#include "wavedoc/chunks/list_chunk.h"

namespace chunkinfo {
namespace {

struct TextField {
    std::size_t offset;
    std::size_t length;
    std::string_view name;
};

// The text fields before the level reference, in the order they are stored.
constexpr std::array<TextField, 15> kTexts = {{
    {0, 4, "Version"},
    {4, 64, "Title"},
    {68, 64, "Artist"},
    {132, 64, "CutID"},
    {196, 64, "ClientID"},
    {260, 64, "Category"},
    {324, 64, "Classification"},
    {388, 64, "OutCue"},
    {452, 10, "StartDate"},
    {462, 8, "StartTime"},
    {470, 10, "EndDate"},
    {480, 8, "EndTime"},
    {488, 64, "ProducerAppID"},
    {552, 64, "ProducerAppVersion"},
    {616, 64, "UserDef"},
}};
constexpr std::size_t kLevelReference = 680;
constexpr std::size_t kPostTimers = 684;  // eight of a four-character usage and a 32-bit value
constexpr std::size_t kPostTimerCount = 8;
constexpr std::size_t kUrl = 1024;
constexpr std::size_t kUrlLength = 1024;
constexpr std::size_t kTagText = 2048;

// "MRK  at sample 44100", or that the timer is not used (a usage of four zero bytes).
std::string PostTimerText(const wavedoc::FieldReader& fields, std::size_t offset) {
    const std::string usage = fields.FourCC(offset, "PostTimer usage");
    const auto value = static_cast<std::uint32_t>(fields.Bits32(offset + 4, "PostTimer value"));
    if (usage == std::string(4, '\0')) return "not used";
    return TextValue(usage, usage.size(), usage.size()) + " at sample " + std::to_string(value);
}

}  // namespace

void ShowCart(const ChunkInput& input, rows::RowSink& rows) {
    const wavedoc::FieldReader fields = input.Fields(0, kTagText);
    const rows::ByteRange fieldsAt = input.At(0, kTagText);
    for (const TextField& text : kTexts) {
        AddFixedTextRow(rows, fields, text.offset, text.length, text.name, fieldsAt);
    }
    rows::AddNumberRow(rows, "LevelReference", fields.Bits32(kLevelReference, "LevelReference"),
                       input.At(kLevelReference, 4));
    for (std::size_t i = 0; i < kPostTimerCount; ++i) {
        rows::AddValueRow(rows, "PostTimer " + std::to_string(i + 1),
                          PostTimerText(fields, kPostTimers + 8 * i), input.At(kPostTimers + 8 * i, 8));
    }
    AddFixedTextRow(rows, fields, kUrl, kUrlLength, "URL", fieldsAt);
    const std::uint64_t tagLength = input.Present() - kTagText;
    const std::string tagText = input.Read(kTagText, rows.TextLimit() + wavedoc::kTextReadAhead);
    rows::AddValueRow(rows, "TagText", TextValue(tagText, tagLength, rows.TextLimit()),
                      input.At(kTagText, tagLength));
}

}  // namespace chunkinfo
