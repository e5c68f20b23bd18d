#include "ui/structure/byte_kinds.h"

#include <QCoreApplication>
#include <array>

#include "ui/structure/structure_tree_model.h"
#include "ui/widgets/meaning_colours.h"
#include "wavedoc/document/structure_map.h"
#include "wavedoc/reading/riff_layout.h"

bool IsDamaged(const wavedoc::MapEntry& entry) {
    if (!entry.IsChunk()) return entry.stray == wavedoc::Stray::CutHeader;
    return entry.present < entry.DeclaredSize() || entry.pad == wavedoc::PadByte::Missing || entry.notWalked;
}

ByteLook LookOf(const StructureTreeModel& tree, std::uint64_t offset) {
    const int item = tree.DeepestHolding(offset);
    if (item == StructureTreeModel::kNoItem) return ByteLook{ByteKind::Stray, false, false};
    const wavedoc::MapEntry* entry = tree.EntryOf(item);
    // The file's own header: "RIFF", its size and the form type.
    if (entry == nullptr) return ByteLook{ByteKind::Header, true, false};
    const bool listed = entry->listing == wavedoc::Listing::Listed;
    if (!entry->IsChunk()) return ByteLook{ByteKind::Stray, listed, IsDamaged(*entry)};
    const bool damaged = IsDamaged(*entry);
    const std::uint64_t at = offset - tree.Start(item);
    const std::uint64_t header =
        wavedoc::layout::kChunkHeaderSize + (entry->IsList() ? wavedoc::layout::kListTypeSize : 0);
    ByteKind kind = ByteKind::Content;
    if (at < header) {
        kind = ByteKind::Header;
    } else if (entry->pad == wavedoc::PadByte::Present && at + 1 == tree.Covered(item)) {
        kind = ByteKind::PadByte;
    }
    return ByteLook{kind, listed, damaged};
}

QColor MarkColour(const QPalette& palette) {
    QColor marked = palette.color(QPalette::Highlight);
    marked.setAlpha(96);
    return marked;
}

namespace {

// The colour of each kind in `palette`, in ByteKind's order.
std::array<QColor, 4> KindColours(const QPalette& palette) {
    // Drawn on the bytes' ground, on the mark over it, and in the legend on
    // the window's ground; each kind a hue of its own.
    const QColor base = palette.color(QPalette::Base);
    const auto readable = [&](const QColor& hue) {
        return Readable(hue, {base, Over(MarkColour(palette), base), palette.color(QPalette::Window)});
    };
    return {readable(QColor(40, 100, 220)), readable(palette.color(QPalette::Text)),
            readable(QColor(205, 110, 0)), readable(QColor(180, 40, 160))};
}

}  // namespace

QColor KindColour(ByteKind kind, const QPalette& palette) {
    // Worked out once for each palette: the views ask for every byte they paint.
    static thread_local qint64 workedOutFor = -1;
    static thread_local std::array<QColor, 4> colours;
    if (palette.cacheKey() != workedOutFor) {
        colours = KindColours(palette);
        workedOutFor = palette.cacheKey();
    }
    return colours[static_cast<std::size_t>(kind)];
}

QString ByteLegend(const QPalette& palette) {
    const auto sample = [&palette](ByteKind kind, const QString& name) {
        return QStringLiteral("<span style=\"color:%1\">&#9632; %2</span>")
            .arg(KindColour(kind, palette).name(), name);
    };
    const auto tr = [](const char* text) { return QCoreApplication::translate("ByteLegend", text); };
    return QStringList{sample(ByteKind::Header, tr("header")),    sample(ByteKind::Content, tr("content")),
                       sample(ByteKind::PadByte, tr("pad byte")), sample(ByteKind::Stray, tr("stray bytes")),
                       tr("<i>italic</i>: not listed"),           tr("<b>bold</b>: damaged"),
                       tr("marked: the selected entry or field")}
        .join(QStringLiteral(" &nbsp; "));
}
