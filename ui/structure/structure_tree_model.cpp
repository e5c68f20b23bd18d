#include "ui/structure/structure_tree_model.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QStyle>
#include <algorithm>

#include "text/display_text.h"
#include "ui/structure/entry_text.h"
#include "wavedoc/document/wave_document.h"

namespace {

// The id that opens a file of this form.
std::string_view FormName(wavedoc::FileForm form) {
    switch (form) {
        case wavedoc::FileForm::Rf64:
            return "RF64";
        case wavedoc::FileForm::Bw64:
            return "BW64";
        case wavedoc::FileForm::Rifx:
            return "RIFX";
        case wavedoc::FileForm::Riff:
            break;
    }
    return "RIFF";
}

// The RIFF header: id, size, form type.
constexpr std::uint64_t kFileHeaderBytes = 12;
constexpr int kFileHeaderItem = 0;

QString Text(const std::string& raw) { return QString::fromStdString(text::DisplayUtf8(raw)); }

QString Hex(std::uint64_t value) { return QStringLiteral("0x") + QString::number(value, 16).toUpper(); }

QString Number(std::uint64_t value) { return QString::number(value); }

}  // namespace

StructureTreeModel::StructureTreeModel(const wavedoc::WaveDocument& document, QObject* parent)
    : QAbstractItemModel(parent), document_(document) {
    const std::vector<wavedoc::MapEntry>& entries = document.Structure().entries;
    const std::size_t items = entries.size() + 1;
    parent_.assign(items, kNoItem);
    row_.assign(items, 0);
    firstChild_.assign(items + 2, 0);
    children_.resize(items);

    // The last item met at each depth: an entry's list is the last one a
    // level up. A depth that skips levels is taken as one level deeper.
    std::vector<int> lastAtDepth;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int item = static_cast<int>(i + 1);
        const std::size_t depth =
            std::min(static_cast<std::size_t>(std::max(entries[i].depth, 0)), lastAtDepth.size());
        lastAtDepth.resize(depth);
        parent_[static_cast<std::size_t>(item)] = depth == 0 ? kNoItem : lastAtDepth.back();
        lastAtDepth.push_back(item);
    }
    // Children grouped by parent (slot p + 1), each group in file order.
    for (const int parentItem : parent_) ++firstChild_[static_cast<std::size_t>(parentItem + 2)];
    for (std::size_t slot = 1; slot < firstChild_.size(); ++slot) firstChild_[slot] += firstChild_[slot - 1];
    std::vector<int> next(firstChild_.begin(), firstChild_.end() - 1);
    for (std::size_t item = 0; item < items; ++item) {
        const auto slot = static_cast<std::size_t>(parent_[item] + 1);
        const int at = next[slot]++;
        children_[static_cast<std::size_t>(at)] = static_cast<int>(item);
        row_[item] = at - firstChild_[slot];
    }
}

const int* StructureTreeModel::ChildrenBegin(int item) const {
    return children_.data() + firstChild_[static_cast<std::size_t>(item + 1)];
}

const int* StructureTreeModel::ChildrenEnd(int item) const {
    return children_.data() + firstChild_[static_cast<std::size_t>(item + 2)];
}

int StructureTreeModel::ItemOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) return kNoItem;
    return static_cast<int>(index.internalId());
}

QModelIndex StructureTreeModel::IndexOf(int item, int column) const {
    if (item < 0 || item >= ItemCount() || column < 0 || column >= ColumnCount) return {};
    return createIndex(row_[static_cast<std::size_t>(item)], column, static_cast<quintptr>(item));
}

const wavedoc::MapEntry* StructureTreeModel::EntryOf(int item) const {
    if (item <= kFileHeaderItem || item >= ItemCount()) return nullptr;
    return &document_.Structure().entries[static_cast<std::size_t>(item - 1)];
}

int StructureTreeModel::ParentOf(int item) const {
    if (item < 0 || item >= ItemCount()) return kNoItem;
    return parent_[static_cast<std::size_t>(item)];
}

std::uint64_t StructureTreeModel::Start(int item) const {
    const wavedoc::MapEntry* entry = EntryOf(item);
    return entry != nullptr ? entry->offset : 0;
}

std::uint64_t StructureTreeModel::Covered(int item) const {
    if (const wavedoc::MapEntry* entry = EntryOf(item)) return entry->Covered();
    if (item != kFileHeaderItem) return 0;
    const std::uint64_t length = document_.Source() != nullptr ? document_.Source()->Length() : 0;
    return std::min(length, kFileHeaderBytes);
}

bool StructureTreeModel::Holds(int item, std::uint64_t offset) const {
    const std::uint64_t start = Start(item);
    return offset >= start && offset - start < Covered(item);
}

void StructureTreeModel::SetFindingLevels(const std::vector<std::pair<std::uint64_t, std::uint64_t>>& offsets,
                                          const std::vector<int>& levels) {
    levels_.assign(parent_.size(), kNoLevel);
    for (std::size_t i = 0; i < offsets.size() && i < levels.size(); ++i) {
        int item = DeepestHolding(offsets[i].first);
        if (item == kNoItem) item = DeepestHolding(offsets[i].second);
        if (item == kNoItem) continue;
        signed char& level = levels_[static_cast<std::size_t>(item)];
        if (level == kNoLevel || levels[i] < level) level = static_cast<signed char>(levels[i]);
    }
    if (!parent_.empty()) emit dataChanged(index(0, ChunkColumn), index(rowCount() - 1, ChunkColumn));
}

void StructureTreeModel::SetOffsetBase(OffsetBase base) {
    if (base == base_) return;
    // Every index of the column changes; a reset is what a view redraws
    // cheaply for a tree of any size, and the selection is kept by the caller.
    base_ = base;
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

signed char StructureTreeModel::FindingLevel(int item) const {
    if (item < 0 || static_cast<std::size_t>(item) >= levels_.size()) return kNoLevel;
    return levels_[static_cast<std::size_t>(item)];
}

int StructureTreeModel::DeepestHolding(std::uint64_t offset) const {
    // Each level lies in file order: the last child starting at or before
    // the offset is the only one that can hold it.
    int found = kNoItem;
    for (int level = kNoItem;;) {
        const int* begin = ChildrenBegin(level);
        const int* end = ChildrenEnd(level);
        const int* after = std::upper_bound(begin, end, offset,
                                            [this](std::uint64_t at, int item) { return at < Start(item); });
        if (after == begin || !Holds(*(after - 1), offset)) return found;
        found = *(after - 1);
        level = found;
    }
}

QModelIndex StructureTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= ColumnCount || parent.column() > 0) return {};
    const int parentItem = parent.isValid() ? ItemOf(parent) : kNoItem;
    if (row >= ChildrenEnd(parentItem) - ChildrenBegin(parentItem)) return {};
    return createIndex(row, column, static_cast<quintptr>(ChildrenBegin(parentItem)[row]));
}

QModelIndex StructureTreeModel::parent(const QModelIndex& child) const {
    return IndexOf(ParentOf(ItemOf(child)));
}

int StructureTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    const int item = parent.isValid() ? ItemOf(parent) : kNoItem;
    return static_cast<int>(ChildrenEnd(item) - ChildrenBegin(item));
}

int StructureTreeModel::columnCount(const QModelIndex& /*parent*/) const { return ColumnCount; }

QVariant StructureTreeModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const int item = ItemOf(index);
    const wavedoc::MapEntry* entry = EntryOf(item);
    const int column = index.column();
    const bool stray = entry != nullptr && !entry->IsChunk();

    if (role == Qt::TextAlignmentRole) {
        const bool number = column == OffsetColumn || column == SizeColumn || column == PresentColumn;
        return QVariant::fromValue(Qt::Alignment(number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    if (role == Qt::DecorationRole) {
        // The gravest finding's icon, as the findings list shows it.
        const signed char level = FindingLevel(item);
        if (column != ChunkColumn || level == kNoLevel) return {};
        static constexpr QStyle::StandardPixmap kIcons[] = {
            QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxInformation};
        return QApplication::style()->standardIcon(kIcons[std::min<int>(level, 2)]);
    }
    if (role == Qt::ForegroundRole) {
        // Bytes that are no chunk read as text in the background, in the
        // palette's own colour for it, light or dark.
        if (!stray) return {};
        return QGuiApplication::palette().brush(QPalette::Active, QPalette::PlaceholderText);
    }

    const wavedoc::ChunkBase& riff = document_.RiffHeader();
    const std::uint32_t storedSize = entry != nullptr ? entry->size : static_cast<std::uint32_t>(riff.Size());
    if (role == Qt::ToolTipRole) {
        if (column == OffsetColumn)
            return tr("Offset %1 (%2) of the file").arg(Start(item)).arg(Hex(Start(item)));
        if (column == SizeColumn && !stray) {
            QString tip = tr("The size field holds %1 (%2) as an unsigned number.")
                              .arg(Text(text::GroupedThousands(storedSize)))
                              .arg(Hex(storedSize));
            if (entry != nullptr && entry->ds64Size) {
                tip += QLatin1Char(' ') + tr("The ds64 chunk gives its size: %1 bytes.")
                                              .arg(Text(text::GroupedThousands(*entry->ds64Size)));
            }
            return tip;
        }
        if (entry == nullptr) {
            return tr("The file's header: the RIFF id, the size of the rest of the file and the form type.");
        }
        const std::string why = entry->Why();
        return why.empty() ? tr("The chunk list shows it.") : Text(why);
    }
    if (role != Qt::DisplayRole) return {};

    if (entry == nullptr) {
        const std::uint64_t length = document_.Source() != nullptr ? document_.Source()->Length() : 0;
        const std::uint64_t afterSize = length > 8 ? length - 8 : 0;
        // A 64-bit file's size field gives way to ds64's, as a chunk's does.
        const std::optional<wavedoc::Ds64Sizes>& ds64 = document_.Ds64();
        const bool sizeInDs64 = storedSize == 0xFFFFFFFFU && ds64 && ds64->HoldsRiffSize();
        switch (column) {
            case OffsetColumn:
                return OffsetText(0, base_);
            case ChunkColumn:
                return Text(std::string(FormName(document_.Form())));
            case SizeColumn:
                if (sizeInDs64) return tr("%1 (ds64)").arg(Number(ds64->riffSize));
                return Text(SignedSize(storedSize));
            case PresentColumn:
                return Number(std::min<std::uint64_t>(sizeInDs64 ? ds64->riffSize : storedSize, afterSize));
            case StateColumn:
                return tr("file header");
            default:
                return {};
        }
    }
    switch (column) {
        case OffsetColumn:
            return OffsetText(entry->offset, base_);
        case ChunkColumn:
            return Text(EntryName(*entry));
        case SizeColumn:
            if (stray) return {};
            // A 64-bit file's chunk whose size field gives way to ds64: the true size, marked so.
            if (entry->ds64Size) return tr("%1 (ds64)").arg(Number(*entry->ds64Size));
            return Text(SignedSize(entry->size));
        case PresentColumn:
            return Number(stray ? entry->length : entry->present);
        case StateColumn:
            return Text(EntryState(*entry, !document_.FormRefusal().empty()));
        default:
            return {};
    }
}

QVariant StructureTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case OffsetColumn:
            return tr("Offset");
        case ChunkColumn:
            return tr("Chunk");
        case SizeColumn:
            return tr("Size");
        case PresentColumn:
            return tr("Present");
        case StateColumn:
            return tr("State");
        default:
            return {};
    }
}
