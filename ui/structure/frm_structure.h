#pragma once

#include <QMainWindow>
#include <cstdint>
#include <optional>
#include <string>

#include "report/analysis.h"
#include "ui/structure/byte_search.h"
#include "ui/structure/entry_filter.h"
#include "ui/structure/field_ranges.h"

class ByteLinesModel;
class ByteTableView;
class FileStrip;
class FindingsModel;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QSortFilterProxyModel;
class QSplitter;
class QStackedWidget;
class QTreeView;
class RowTableModel;
class RowTableView;
class SoundView;
class StructureTableView;
class StructureTreeModel;
class UserPrompts;
class MendFlow;
class WorkRunner;

// The structure of one analysed file: the tree of every entry of its map on
// the left; on the right the selected entry's rows (as the chunk grid and
// ondulo-dump give them) over its bytes; the findings under both. Ctrl+G goes
// to an offset, Ctrl+S saves what ondulo-dump reports of the file, Escape or
// Ctrl+W closes it. It only reads the analysis it is given.
//
// Its parts: frm_structure_layout.cpp builds the panes, frm_structure_selection.cpp
// shows what is selected, frm_structure_commands.cpp holds the menus and actions.
class frmStructure : public QMainWindow {
    Q_OBJECT

public:
    // `analysis` must be Loaded(); `prompts` must outlive the window's use of it.
    frmStructure(report::Analysis analysis, UserPrompts& prompts, QWidget* parent = nullptr);
    ~frmStructure() override;

    // The path of the file shown, as given to Load.
    const std::string& Path() const { return analysis_.path; }
    // Selects the deepest entry that holds `offset` and the byte there, and
    // shows them; false when no entry holds it.
    bool GoToOffset(std::uint64_t offset);

signals:
    // A local file was dropped on the window: its structure is to be shown.
    void FileDropped(const QString& path);
    // A mended copy of the file was saved, and the user asked to see it.
    void CopyToOpen(const QString& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    void EntryChanged(const QModelIndex& current);
    // A field row selected: its bytes are marked (the entry's, for a row
    // made from no bytes).
    void FieldChanged(const QModelIndex& current);
    // A byte clicked or reached from the keyboard: the deepest entry and the
    // field row that hold it are selected.
    void CurrentByteChanged(const QModelIndex& current);
    void FindingChanged(const QModelIndex& current);
    void ByteSelectionChanged();
    void AskForOffset();
    // Ctrl+F asks what to look for and finds it after the current byte; F3
    // and Shift+F3 find the next and the previous hit.
    void AskToSearch();
    // The search runs on the window's runner; its hit selects its entry and
    // bytes once it ends.
    void SearchOn(bool forward);
    void SaveReportAs();
    void CopyBytesAsHex();
    void CopyBytesAsText();
    void CopyFindings();
    void ShowBytesFailure(const QString& sentence);
    // Shows the entry holding `offset` and selects `length` bytes from it
    // (the one byte, for a length of 0).
    void SelectRange(std::uint64_t offset, std::uint64_t length);

private:
    // The window's panes, each built by its own function below: the tree on
    // the left, the rows over the bytes on the right, the findings under both.
    void BuildViews();
    // The tree of the map's entries, with its columns sized to the file.
    void BuildTreePane(QSplitter* top);
    // The selected entry's rows, with the line that says why they stop short.
    void BuildRowsPane(QSplitter* right);
    // The selected entry's bytes (or why they cannot be read), with the line
    // that says what is selected.
    void BuildBytesPane(QSplitter* right);
    void SizeByteColumns();
    // The findings summary over the sortable list of findings.
    void BuildFindingsPane(QSplitter* panes);
    void SizeFindingColumns();
    void SetTabOrderAsPanesRead();
    // Selecting an entry, a finding or bytes, and the bytes model's news.
    void ConnectViews();
    // Ctrl+C and Ctrl+Shift+C on the bytes, Ctrl+C on the findings, and the
    // same in their context menus.
    void AddCopyActions();
    void BuildMenus();
    // Resizes the window to `wanted`, or to the screen's available area when
    // that is smaller.
    void FitSize(const QSize& wanted);
    // Shows in the tree only the entries `filter` keeps, with their lists.
    void ShowEntries(EntryFilter filter);
    // The sound view, docked under the panes (View, Sound): clicking a marker
    // selects its record; selecting an entry highlights the markers in it.
    void BuildSoundDock();
    // Shows an item of the tree: its rows and its bytes.
    void ShowItem(int item);
    // Says under the fields why they stop short; the empty text hides it.
    void ShowRowsStop(const QString& sentence);
    void SelectItem(int item);
    void SelectByte(std::uint64_t byte);
    // Marks `range` in the whole file's bytes (clamped to the file) and, with
    // `reveal`, scrolls to its start.
    void MarkBytes(const rows::ByteRange& range, bool reveal);
    // Makes `row` of the fields current and selected, or, without one,
    // selects no field and marks the whole entry (scrolled to with `reveal`).
    void SelectFieldOrEntry(std::optional<int> row, bool reveal);
    // The bytes of the entry shown.
    rows::ByteRange EntryRange() const;
    // Whether a list around the item is decoded as a whole.
    bool InsideDecodedList(int item) const;
    // The selected bytes, first and last, counted from the entry's start.
    std::optional<std::pair<std::uint64_t, std::uint64_t>> SelectedBytes() const;
    // Copies the selected bytes, `text` or hex; says what it copied under the bytes.
    void CopyBytes(bool text);
    // Whether the runner has work already; it says so in the status bar then.
    bool SayBusy();
    // Selects a search's hit, or says under the bytes why there is none.
    void ShowSearchOutcome(const SearchOutcome& outcome, std::uint64_t from, bool forward);

    report::Analysis analysis_;
    UserPrompts& prompts_;

    StructureTreeModel* tree_ = nullptr;
    FileStrip* strip_ = nullptr;
    QTreeView* tvStructure_ = nullptr;
    RowTableModel* rows_ = nullptr;
    RowTableView* dbgRows_ = nullptr;
    QLabel* lbRowsStatus_ = nullptr;
    ByteLinesModel* bytes_ = nullptr;
    ByteTableView* tvBytes_ = nullptr;
    QStackedWidget* bytesPane_ = nullptr;
    QLabel* lbBytesFailure_ = nullptr;
    QLabel* lbByteSelection_ = nullptr;
    FindingsModel* findings_ = nullptr;
    QSortFilterProxyModel* sortedFindings_ = nullptr;
    StructureTableView* tvFindings_ = nullptr;
    QLabel* lbFindingSummary_ = nullptr;

    WorkRunner* jobs_ = nullptr;  // the search and Save report, on a thread of their own
    MendFlow* mend_ = nullptr;    // Save mended copy: the plan, the writing, the copy offered
    SearchPatterns searched_;
    std::optional<std::uint64_t> lastHit_;
    int currentItem_ = -1;
    bool followingBytes_ = false;   // a byte chose the entry and row: the bytes stay where they are
    bool selectingByCode_ = false;  // a byte is made current by the window, not by the user
    SoundView* sound_ = nullptr;
};
