#pragma once

#include <QAbstractItemModel>
#include <cstdint>
#include <utility>
#include <vector>

#include "ui/structure/offset_text.h"

namespace wavedoc {
class WaveDocument;
struct MapEntry;
}  // namespace wavedoc

// The structure map of a document as a tree: first the file's RIFF header,
// then every entry of the map in file order, a list's sub-chunks as its
// children. The model reads the map in place; what it adds is four integers
// an item, computed once in one pass over the map, so a full map costs no
// allocation per entry and an item's text is made only when it is shown.
//
// Items are numbered: 0 is the RIFF header, i + 1 is the map's entry i.
class StructureTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Column { OffsetColumn, ChunkColumn, SizeColumn, PresentColumn, StateColumn, ColumnCount };
    static constexpr int kNoItem = -1;

    // The document must outlive the model.
    explicit StructureTreeModel(const wavedoc::WaveDocument& document, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    int ItemCount() const { return static_cast<int>(parent_.size()); }
    // The item of an index (kNoItem for an invalid one), and the index of an item in `column`.
    int ItemOf(const QModelIndex& index) const;
    QModelIndex IndexOf(int item, int column = 0) const;
    // The map entry of an item; null for the RIFF header.
    const wavedoc::MapEntry* EntryOf(int item) const;
    // The bytes an item covers in the file: header, content present, pad byte.
    std::uint64_t Start(int item) const;
    std::uint64_t Covered(int item) const;
    // The deepest item whose bytes hold `offset`, or kNoItem when none does.
    int DeepestHolding(std::uint64_t offset) const;
    // The list around an item, or kNoItem at the top level.
    int ParentOf(int item) const;
    // Gives each item the icon of the gravest finding about it (the deepest
    // entry holding its offset, or its chunk's); levels as wavecheck::Level
    // counts them, 0 the gravest.
    void SetFindingLevels(const std::vector<std::pair<std::uint64_t, std::uint64_t>>& offsets,
                          const std::vector<int>& levels);
    // The gravest level of the findings about an item, or kNoLevel.
    static constexpr signed char kNoLevel = -1;
    signed char FindingLevel(int item) const;
    // How the offset column writes offsets.
    void SetOffsetBase(OffsetBase base);

private:
    bool Holds(int item, std::uint64_t offset) const;
    // The children of `item` (kNoItem: the top level), in file order.
    const int* ChildrenBegin(int item) const;
    const int* ChildrenEnd(int item) const;

    const wavedoc::WaveDocument& document_;
    std::vector<int> parent_;  // per item: the list around it, or kNoItem
    std::vector<int> row_;     // per item: its row under its parent
    std::vector<int>
        firstChild_;  // per item, plus one for the top level: where its children start in children_
    std::vector<int> children_;  // every item, grouped by parent, each group in file order
    OffsetBase base_ = OffsetBase::Decimal;
    std::vector<signed char> levels_;  // per item once findings are given: the gravest level, or kNoLevel
};
