// The lists of text items: INFO, and exif, which digital cameras write. Each
// item's name and text; items are sub-chunks of a four-character id and a
// text, walked here in file order; at most kMostItems are shown, and how many
// more follow is counted up to kMostCounted.
#include <array>
#include <span>

#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"
#include "wavedoc/chunks/list_chunk.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/chunk_walker.h"
#include "wavedoc/reading/riff_layout.h"
#include "wavedoc/reading/wave_error.h"

namespace chunkinfo {
namespace {

constexpr std::size_t kMostItems = 4096;
constexpr std::size_t kMostCounted = 100000;

// The items of the RIFF INFO list and those later writers added.
constexpr std::array<IdName, 43> kItemNames = {{
    {"IARL", "Archival location"},
    {"IART", "Artist"},
    {"IBSU", "Base URL"},
    {"ICMS", "Commissioned"},
    {"ICMT", "Comments"},
    {"ICNM", "Cinematographer"},
    {"ICNT", "Country"},
    {"ICOP", "Copyright"},
    {"ICRD", "Creation date"},
    {"ICRP", "Cropped"},
    {"IDIM", "Dimensions"},
    {"IDIT", "Digitization time"},
    {"IDPI", "Dots per inch"},
    {"IEDT", "Edited by"},
    {"IENC", "Encoded by"},
    {"IENG", "Engineer"},
    {"IGNR", "Genre"},
    {"IKEY", "Keywords"},
    {"ILGT", "Lightness"},
    {"ILNG", "Language"},
    {"IMED", "Medium"},
    {"IMUS", "Music by"},
    {"INAM", "Title"},
    {"IPDS", "Production designer"},
    {"IPLT", "Palette"},
    {"IPRD", "Product"},
    {"IPRO", "Produced by"},
    {"IPRT", "Track number"},
    {"IRTD", "Rating"},
    {"ISBJ", "Subject"},
    {"ISFT", "Software"},
    {"ISGN", "Secondary genre"},
    {"ISHP", "Sharpness"},
    {"ISMP", "SMPTE time code"},
    {"ISRC", "Source"},
    {"ISRF", "Source form"},
    {"ISTD", "Production studio"},
    {"ISTR", "Starring"},
    {"ITCH", "Technician"},
    {"ITRK", "Track"},
    {"IWEB", "Internet address"},
    {"IWRI", "Written by"},
    {"TLEN", "Length"},
}};

// The items of the exif list (JEIDA's Exif 2.2, its RIFF form for audio).
constexpr std::array<IdName, 7> kExifItemNames = {{
    {"ecor", "Make"},
    {"emdl", "Model"},
    {"emnt", "Maker note"},
    {"erel", "Related image file"},
    {"etim", "Time created"},
    {"eucm", "User comment"},
    {"ever", "Exif version"},
}};

// "Title (INAM)", or the id alone for an item without a known name.
std::string ItemLabel(std::span<const IdName> names, std::string_view id) {
    const std::string_view name = NameOf(names, id);
    return name.empty() ? std::string(id) : std::string(name) + " (" + std::string(id) + ")";
}

// The text of an item up to its first zero byte; only what a cell shows is read.
std::string ItemText(const ByteRun& item, std::uint64_t limit) {
    return TextValue(item.Read(0, limit + wavedoc::kTextReadAhead), item.Length(), limit);
}

// The plain sentence for where the walk of the items stopped short.
std::string WalkFault(const wavedoc::ChunkWalker& walk, std::uint64_t listStart) {
    const std::string where =
        "at byte " + text::GroupedThousands(walk.Position() - listStart) + " of the list";
    if (walk.End() == wavedoc::WalkEnd::CutHeader) return "an item header is cut off " + where + ".";
    return "the bytes " + where + " start no item.";
}

// Every item of the list with its name from `names`.
void ShowTextItems(const ChunkInput& input, std::span<const IdName> names, rows::RowSink& rows) {
    const wavedoc::ByteSource& source = *input.Document().Source();
    const std::uint64_t end = input.ContentStart() + input.Present();
    wavedoc::ChunkWalker walk(source, input.ContentStart() + wavedoc::layout::kListTypeSize, end);
    walk.UseByteOrder(input.Order());
    std::size_t shown = 0;
    std::optional<wavedoc::ChunkHeader> item;
    while (shown < kMostItems && (item = walk.Next())) {
        const ByteRun text(&source, item->dataOffset, item->presentSize);
        rows::AddValueRow(rows, ItemLabel(names, item->id), ItemText(text, rows.TextLimit()), text.At());
        ++shown;
    }
    if (shown == kMostItems) {
        std::size_t more = 0;
        while (more < kMostCounted && walk.Next()) ++more;
        if (more > 0) {
            AddNotShownRow(rows, (more == kMostCounted ? "at least " : "") +
                                     GroupedCount(more, "more item", "more items"));
        }
    }
    if (walk.End() == wavedoc::WalkEnd::NotAChunk || walk.End() == wavedoc::WalkEnd::CutHeader) {
        throw rows::DetailStop(WalkFault(walk, input.ContentStart()));
    }
}

}  // namespace

void ShowInfoList(const ChunkInput& input, rows::RowSink& rows) { ShowTextItems(input, kItemNames, rows); }

void ShowExifList(const ChunkInput& input, rows::RowSink& rows) {
    ShowTextItems(input, kExifItemNames, rows);
}

}  // namespace chunkinfo
