// What the structure window shows of its selection: the entry chosen in the
// tree, by a finding, a byte or an offset; its rows and marked bytes; and the
// line under the bytes that says what is selected.
#include <QItemSelectionModel>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QTreeView>
#include <algorithm>
#include <new>

#include "chunkinfo/entry_rows.h"
#include "report/structure_rows.h"
#include "rows/chunk_details.h"
#include "ui/structure/byte_lines_model.h"
#include "ui/structure/entry_filter.h"
#include "ui/structure/file_strip.h"
#include "ui/structure/findings_model.h"
#include "ui/structure/frm_structure.h"
#include "ui/structure/structure_table_view.h"
#include "ui/structure/structure_tree_model.h"
#include "ui/structure/window_words.h"
#include "ui/widgets/grid_rows.h"
#include "ui/widgets/row_table_model.h"
#include "ui/widgets/row_table_view.h"
#include "wavedoc/document/wave_document.h"

namespace {

constexpr std::uint64_t kLine = ByteLinesModel::kBytesPerLine;

}  // namespace

void frmStructure::ShowRowsStop(const QString& sentence) {
    lbRowsStatus_->setText(sentence);
    lbRowsStatus_->setVisible(!sentence.isEmpty());
    lbRowsStatus_->setAccessibleDescription(sentence);
}

void frmStructure::ShowEntries(EntryFilter filter) {
    const std::vector<bool> shown = EntriesShown(*tree_, filter);
    for (int item = 0; item < tree_->ItemCount(); ++item) {
        const QModelIndex index = tree_->IndexOf(item);
        tvStructure_->setRowHidden(index.row(), index.parent(), !shown[static_cast<std::size_t>(item)]);
    }
    // What is shown is shown in full.
    if (filter != EntryFilter::All) tvStructure_->expandAll();
}

void frmStructure::EntryChanged(const QModelIndex& current) {
    const int item = tree_->ItemOf(current);
    if (item != StructureTreeModel::kNoItem) ShowItem(item);
}

bool frmStructure::InsideDecodedList(int item) const {
    for (int list = tree_->ParentOf(item); list != StructureTreeModel::kNoItem;
         list = tree_->ParentOf(list)) {
        const wavedoc::MapEntry* entry = tree_->EntryOf(list);
        if (entry != nullptr && entry->IsList() && chunkinfo::HasDecoder(*entry)) return true;
    }
    return false;
}

void frmStructure::ShowItem(int item) {
    const wavedoc::WaveDocument& document = *analysis_.document;
    const wavedoc::MapEntry* entry = tree_->EntryOf(item);
    std::optional<std::string> stop;
    // The rows of the previous entry go first, so two long lists are never held at once.
    rows_->SetRows({});
    try {
        GridRows rows;
        // The chunks the chunk list shows get the chunk grid's rows; every
        // other entry its own, as ondulo-dump gives them (or its first bytes).
        if (entry == nullptr) {
            stop = rows::ShowChunkDetails(document, document.RiffHeader().Name(), rows);
        } else {
            const report::RowsFrom from = report::EntryRowsFrom(*entry, InsideDecodedList(item));
            // An entry held in its list's rows, or a list whose sub-chunks
            // carry them, shows its first bytes.
            const bool own = from == report::RowsFrom::ChunkDetails || from == report::RowsFrom::LaterChunk;
            stop = report::ShowRowsFrom(own ? from : report::RowsFrom::EntryRows, document, *entry, rows);
        }
        rows_->SetRows(std::move(rows));
    } catch (const std::bad_alloc&) {
        rows_->SetRows({});
        stop = "The rows of this entry could not be shown: there is not enough memory.";
    }
    dbgRows_->FitFirstColumn();
    ShowRowsStop(stop ? Text(*stop) : QString());

    currentItem_ = item;
    strip_->SetSelected(item);
    bytesPane_->setCurrentWidget(tvBytes_);
    // Read again what is shown, so that a file changed since is found.
    bytes_->ForgetBytes();
    MarkBytes(EntryRange(), !followingBytes_);
    ByteSelectionChanged();
}

rows::ByteRange frmStructure::EntryRange() const {
    if (currentItem_ < 0) return rows::ByteRange{0, 0};
    return rows::ByteRange{tree_->Start(currentItem_), tree_->Covered(currentItem_)};
}

void frmStructure::MarkBytes(const rows::ByteRange& range, bool reveal) {
    const std::uint64_t length = bytes_->Length();
    if (range.offset >= length || range.length == 0) {
        bytes_->SetMarked(std::nullopt);
        return;
    }
    const std::uint64_t last = range.offset + std::min(range.length, length - range.offset) - 1;
    bytes_->SetMarked(ByteLinesModel::Span{range.offset, last});
    if (!reveal) return;
    bytes_->Reveal(range.offset);
    const QModelIndex cell = bytes_->IndexOfByte(range.offset);
    if (cell.isValid()) tvBytes_->scrollTo(cell, QAbstractItemView::PositionAtTop);
}

void frmStructure::FieldChanged(const QModelIndex& current) {
    if (!current.isValid()) return;
    const std::optional<rows::ByteRange> range =
        rows_->Rows().RangeOf(static_cast<std::size_t>(current.row()));
    MarkBytes(range ? *range : EntryRange(), !followingBytes_);
}

void frmStructure::CurrentByteChanged(const QModelIndex& current) {
    if (selectingByCode_ || !current.isValid()) return;
    const std::uint64_t offset = bytes_->Start() + bytes_->FirstByteOf(current.row(), current.column());
    const int item = tree_->DeepestHolding(offset);
    if (item == StructureTreeModel::kNoItem) return;
    followingBytes_ = true;
    if (item != currentItem_) SelectItem(item);
    SelectFieldOrEntry(RowHolding(rows_->Rows().RowsOverByte(offset), offset), false);
    followingBytes_ = false;
}

void frmStructure::SelectItem(int item) {
    const QModelIndex index = tree_->IndexOf(item);
    if (!index.isValid()) return;
    for (int list = tree_->ParentOf(item); list != StructureTreeModel::kNoItem;
         list = tree_->ParentOf(list)) {
        tvStructure_->expand(tree_->IndexOf(list));
    }
    tvStructure_->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    tvStructure_->scrollTo(index);
}

void frmStructure::SelectByte(std::uint64_t byte) {
    bytes_->Reveal(byte);
    const QModelIndex cell = bytes_->IndexOfByte(byte);
    if (!cell.isValid()) return;
    selectingByCode_ = true;
    tvBytes_->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    selectingByCode_ = false;
    tvBytes_->scrollTo(cell, QAbstractItemView::PositionAtCenter);
}

bool frmStructure::GoToOffset(std::uint64_t offset) {
    const int item = tree_->DeepestHolding(offset);
    if (item == StructureTreeModel::kNoItem) return false;
    SelectItem(item);
    SelectByte(offset);
    return true;
}

void frmStructure::SelectRange(std::uint64_t offset, std::uint64_t length) {
    GoToOffset(offset);
    if (length == 0) return;
    // The bytes, selected as far as the entry shown holds them, and marked.
    const QModelIndex first = bytes_->IndexOfByte(offset - bytes_->Start());
    const QModelIndex last = bytes_->IndexOfByte(offset + length - 1 - bytes_->Start());
    if (first.isValid() && last.isValid()) {
        selectingByCode_ = true;
        tvBytes_->selectionModel()->select(bytes_->Run(first, last), QItemSelectionModel::ClearAndSelect);
        selectingByCode_ = false;
    }
    MarkBytes(rows::ByteRange{offset, length}, false);
}

void frmStructure::FindingChanged(const QModelIndex& current) {
    if (!current.isValid()) return;
    const wavecheck::Finding* finding = findings_->FindingAt(sortedFindings_->mapToSource(current).row());
    if (finding == nullptr) return;
    // The deepest entry holding the finding's first byte; a finding about
    // bytes the file lacks (past its end) goes to the chunk it names.
    std::uint64_t offset = finding->offset;
    int item = tree_->DeepestHolding(offset);
    if (item == StructureTreeModel::kNoItem) {
        offset = finding->chunkOffset;
        item = tree_->DeepestHolding(offset);
    }
    if (item == StructureTreeModel::kNoItem) return;
    SelectItem(item);
    // The record or field the finding is about, when a row starts where it
    // does; otherwise the whole entry.
    SelectFieldOrEntry(RowStartingAt(rows_->Rows().RowsOverByte(offset), offset, tree_->Covered(item)), true);
    SelectByte(offset);
}

void frmStructure::SelectFieldOrEntry(std::optional<int> row, bool reveal) {
    if (row) {
        const QModelIndex field = rows_->index(*row, 0);
        dbgRows_->selectionModel()->setCurrentIndex(
            field, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        dbgRows_->scrollTo(field);
    } else {
        dbgRows_->selectionModel()->clearSelection();
        MarkBytes(EntryRange(), reveal);
    }
}

std::optional<std::pair<std::uint64_t, std::uint64_t>> frmStructure::SelectedBytes() const {
    // From the ranges, not the cells: a selection of a whole 4 GB entry is one range.
    std::optional<std::pair<std::uint64_t, std::uint64_t>> span;
    for (const QItemSelectionRange& range : tvBytes_->selectionModel()->selection()) {
        const std::uint64_t first = bytes_->FirstByteOf(range.top(), range.left());
        const std::uint64_t last = bytes_->LastByteOf(range.bottom(), range.right());
        if (first > last) continue;
        if (!span) span.emplace(first, last);
        span->first = std::min(span->first, first);
        span->second = std::max(span->second, last);
    }
    return span;
}

void frmStructure::ByteSelectionChanged() {
    const std::uint64_t start = bytes_->Start();
    const auto span = SelectedBytes();
    if (!span) {
        const rows::ByteRange entry = EntryRange();
        QString text = tr("No bytes selected. The entry covers %1 bytes from offset %2 (%3).")
                           .arg(Grouped(entry.length))
                           .arg(entry.offset)
                           .arg(Hex(entry.offset));
        if (bytes_->rowCount() < static_cast<std::int64_t>(bytes_->TotalLines())) {
            const std::uint64_t from = start + bytes_->FirstLineShown() * kLine;
            text += QLatin1Char(' ') +
                    tr("The lines from offset %1 (%2) are shown, %3 of them: Ctrl+G, Ctrl+Home, "
                       "Ctrl+End or the arrow keys at either end move on.")
                        .arg(from)
                        .arg(Hex(from))
                        .arg(Grouped(static_cast<std::uint64_t>(bytes_->rowCount())));
        }
        lbByteSelection_->setText(text);
    } else {
        const std::uint64_t first = start + span->first;
        const std::uint64_t count = span->second - span->first + 1;
        lbByteSelection_->setText(count == 1
                                      ? tr("Selected: 1 byte at offset %1 (%2).").arg(first).arg(Hex(first))
                                      : tr("Selected: %1 bytes from offset %2 (%3) to %4 (%5).")
                                            .arg(Grouped(count))
                                            .arg(first)
                                            .arg(Hex(first))
                                            .arg(first + count - 1)
                                            .arg(Hex(first + count - 1)));
    }
    lbByteSelection_->setAccessibleDescription(lbByteSelection_->text());
}

void frmStructure::ShowBytesFailure(const QString& sentence) {
    lbBytesFailure_->setText(sentence);
    lbBytesFailure_->setAccessibleDescription(sentence);
    const bool hadFocus = tvBytes_->hasFocus();
    bytesPane_->setCurrentWidget(lbBytesFailure_);
    // The pane's place in the Tab order is kept by the findings after it.
    if (hadFocus) tvFindings_->setFocus(Qt::OtherFocusReason);
}
