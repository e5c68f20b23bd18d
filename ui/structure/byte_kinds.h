#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <cstdint>

class StructureTreeModel;
namespace wavedoc {
struct MapEntry;
}

// What a byte of the file is, as the whole-file bytes colour it: part of a
// header (for a list, its list type too), of a chunk's content, its pad
// byte, or stray bytes that are no chunk; and whether its entry is listed
// and whether it is damaged (cut short by the end of the file or its list,
// a pad byte missing, a list nested too deep to be walked).
enum class ByteKind { Header, Content, PadByte, Stray };

struct ByteLook {
    ByteKind kind = ByteKind::Content;
    bool listed = true;
    bool damaged = false;
    friend bool operator==(const ByteLook&, const ByteLook&) = default;
};

// Whether an entry is damaged: cut short by the end of the file or of its
// list, its pad byte missing, a list nested too deep to be walked, or a
// header cut off.
bool IsDamaged(const wavedoc::MapEntry& entry);

// The look of the byte at `offset`, from the deepest entry holding it; bytes
// no entry holds are stray.
ByteLook LookOf(const StructureTreeModel& tree, std::uint64_t offset);

// What marks the selected entry's or field's bytes: the palette's highlight,
// see-through.
QColor MarkColour(const QPalette& palette);

// The colour of a kind: a hue of its own, as light or dark as the palette's
// grounds ask, so that it reads at least 3:1 against the bytes' ground, the
// mark over it and the window, in a light and a dark palette alike.
QColor KindColour(ByteKind kind, const QPalette& palette);

// The legend of the colours and faces, as rich text for a label.
QString ByteLegend(const QPalette& palette);
