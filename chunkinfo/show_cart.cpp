// cart: the broadcast cart chunk of AES46 (as in CartChunk): fixed-size text
// fields, the level reference, eight post timers, a URL and then the free
// tag text, of which only what a cell shows is read.
#include <array>

#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"
#include "wavedoc/chunks/list_chunk.h"

namespace chunkinfo {
namespace {

using wavedoc::Field;
using wavedoc::TextField;

// The text fields before the level reference, in the order they are stored.
constexpr std::array<Field, 15> kTexts = {{
    TextField("Version", 0, 4),
    TextField("Title", 4, 64),
    TextField("Artist", 68, 64),
    TextField("CutID", 132, 64),
    TextField("ClientID", 196, 64),
    TextField("Category", 260, 64),
    TextField("Classification", 324, 64),
    TextField("OutCue", 388, 64),
    TextField("StartDate", 452, 10),
    TextField("StartTime", 462, 8),
    TextField("EndDate", 470, 10),
    TextField("EndTime", 480, 8),
    TextField("ProducerAppID", 488, 64),
    TextField("ProducerAppVersion", 552, 64),
    TextField("UserDef", 616, 64),
}};
constexpr Field kLevelReference = wavedoc::Bits32Field("LevelReference", 680);
// Eight post timers follow, each a four-character usage and a sample position.
constexpr std::uint64_t kFirstPostTimer = kLevelReference.End();
constexpr std::uint64_t kPostTimerSize = 8;
constexpr std::uint64_t kPostTimerCount = 8;
constexpr Field kTimerUsage = wavedoc::FourCCField("PostTimer usage", 0);
constexpr Field kTimerValue = wavedoc::Unsigned32Field("PostTimer value", 4);
// After reserved bytes, the URL, then the tag text up to the end of the chunk.
constexpr Field kUrl = TextField("URL", 1024, 1024);
constexpr std::uint64_t kTagText = kUrl.End();

static_assert(wavedoc::FollowOneAnother(kTexts) && kLevelReference.offset == kTexts.back().End());
static_assert(wavedoc::FollowOneAnother({kTimerUsage, kTimerValue}) && kTimerValue.End() == kPostTimerSize);
static_assert(kFirstPostTimer + kPostTimerCount * kPostTimerSize <= kUrl.offset);

// Where the 0-based post timer `timer` starts in the content.
constexpr std::uint64_t PostTimerOffset(std::uint64_t timer) {
    return kFirstPostTimer + timer * kPostTimerSize;
}

// "MRK  at sample 44100", or that the timer is not used (a usage of four zero bytes).
std::string PostTimerText(const wavedoc::FieldReader& fields, std::uint64_t timer) {
    const std::string usage = fields.FourCC(wavedoc::InRecordAt(kTimerUsage, PostTimerOffset(timer)));
    const std::uint32_t value = fields.Unsigned32(wavedoc::InRecordAt(kTimerValue, PostTimerOffset(timer)));
    if (usage == std::string(4, '\0')) return "not used";
    return TextValue(usage, usage.size(), usage.size()) + " at sample " + std::to_string(value);
}

}  // namespace

void ShowCart(const ChunkInput& input, rows::RowSink& rows) {
    const wavedoc::FieldReader fields = input.Fields(0, kTagText);
    const rows::ByteRange fieldsAt = input.At(0, kTagText);
    for (const Field& text : kTexts) AddFixedTextRow(rows, fields, text, text.name, fieldsAt);
    rows::AddNumberRow(rows, "LevelReference", fields.Bits32(kLevelReference), input.At(kLevelReference));
    for (std::uint64_t i = 0; i < kPostTimerCount; ++i) {
        rows::AddValueRow(rows, "PostTimer " + std::to_string(i + 1), PostTimerText(fields, i),
                          input.At(PostTimerOffset(i), kPostTimerSize));
    }
    AddFixedTextRow(rows, fields, kUrl, kUrl.name, fieldsAt);
    const ByteRun tag = input.Content().Part(kTagText);
    const std::string tagText = tag.Read(0, rows.TextLimit() + wavedoc::kTextReadAhead);
    rows::AddValueRow(rows, "TagText", TextValue(tagText, tag.Length(), rows.TextLimit()), tag.At());
}

}  // namespace chunkinfo
