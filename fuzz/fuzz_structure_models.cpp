// The fuzz target for the structure window's item models: each input is
// written to a file and analysed as the window's opening analyses it
// (AnalysisToShow), then the tree of entries, the whole-file byte lines and
// the findings are each driven through QAbstractItemModelTester while the
// window's calls change them (finding levels, offset base, marked bytes, the
// window of lines), and every index's data is read for the roles a view asks
// for. Beyond the tester's rules, the models must agree with the file: every
// tree item is reached once from the top, each index maps back to its item,
// every filter of the tree keeps the lists around what it shows, the byte
// cells show the input's bytes, and the findings model has a row per finding
// and sorts by every column as the window's list does.
#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QSortFilterProxyModel>
#include <QVariant>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "analyse_input.h"
#include "support/wav_builder.h"
#include "ui/structure/byte_kinds.h"
#include "ui/structure/byte_lines_model.h"
#include "ui/structure/entry_filter.h"
#include "ui/structure/findings_model.h"
#include "ui/structure/structure_opening.h"
#include "ui/structure/structure_tree_model.h"
#include "wavedoc/document/structure_map.h"
#include "wavedoc/reading/byte_source.h"
#include "wavedoc/reading/wave_error.h"

namespace {

using fuzzcheck::Require;
using Tester = QAbstractItemModelTester;

// The roles views and accessibility ask of every cell.
constexpr int kRoles[] = {Qt::DisplayRole,        Qt::DecorationRole,
                          Qt::EditRole,           Qt::ToolTipRole,
                          Qt::StatusTipRole,      Qt::WhatsThisRole,
                          Qt::SizeHintRole,       Qt::FontRole,
                          Qt::TextAlignmentRole,  Qt::BackgroundRole,
                          Qt::ForegroundRole,     Qt::CheckStateRole,
                          Qt::AccessibleTextRole, Qt::AccessibleDescriptionRole};

// The file each input is written to, one per process.
std::string& FilePath() {
    static std::string path;
    return path;
}

void ReadEveryRole(const QAbstractItemModel& model, const QModelIndex& index) {
    for (const int role : kRoles) (void)model.data(index, role);
    (void)model.flags(index);
}

void ReadHeaders(const QAbstractItemModel& model) {
    for (int column = 0; column < model.columnCount(); ++column) {
        for (const int role : kRoles) (void)model.headerData(column, Qt::Horizontal, role);
    }
    const int rows = model.rowCount();
    for (const int row : {0, rows / 2, rows - 1}) {
        if (row >= 0) (void)model.headerData(row, Qt::Vertical, Qt::DisplayRole);
    }
}

// Walks the tree from the top: every item once, each index mapping back to
// its item and each child naming its parent.
void WalkTree(const StructureTreeModel& tree, const QModelIndex& parent, int& reached) {
    for (int row = 0; row < tree.rowCount(parent); ++row) {
        const QModelIndex first = tree.index(row, 0, parent);
        const int item = tree.ItemOf(first);
        Require(item >= 0 && item < tree.ItemCount(), "a tree index names no item");
        Require(tree.IndexOf(item) == first, "an item's index is not the one the tree gave");
        Require(tree.ItemOf(parent) == tree.ParentOf(item), "a tree item is under another list than its own");
        ++reached;
        for (int column = 0; column < tree.columnCount(parent); ++column)
            ReadEveryRole(tree, tree.index(row, column, parent));
        WalkTree(tree, first, reached);
    }
}

void CheckTree(StructureTreeModel& tree, const report::Analysis& analysis) {
    const Tester tester(&tree, Tester::FailureReportingMode::Fatal);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> offsets;
    std::vector<int> levels;
    for (const wavecheck::Finding& finding : analysis.findings->shown) {
        offsets.emplace_back(finding.offset, finding.chunkOffset);
        levels.push_back(static_cast<int>(finding.level));
    }
    tree.SetFindingLevels(offsets, levels);
    Require(static_cast<std::size_t>(tree.ItemCount()) == analysis.document->Structure().entries.size() + 1,
            "the tree does not have an item per map entry and the file header");
    int reached = 0;
    WalkTree(tree, {}, reached);
    Require(reached == tree.ItemCount(), "the tree's walk does not reach every item once");
    ReadHeaders(tree);
    for (int item = 0; item < tree.ItemCount(); ++item) {
        // An item's first byte is held by it or by an item inside it.
        if (tree.Covered(item) == 0) continue;
        int holder = tree.DeepestHolding(tree.Start(item));
        while (holder != StructureTreeModel::kNoItem && holder != item) holder = tree.ParentOf(holder);
        Require(holder == item, "an item's first byte is held outside it");
    }
    tree.SetOffsetBase(OffsetBase::Hex);
    for (int item = 0; item < tree.ItemCount(); ++item)
        (void)tree.IndexOf(item, StructureTreeModel::OffsetColumn).data();
    // Each of the window's filters shows the lists around what it shows, and
    // a list comes before the items inside it.
    for (const EntryFilter filter :
         {EntryFilter::All, EntryFilter::Damaged, EntryFilter::NotListed, EntryFilter::WithFindings}) {
        const std::vector<bool> shown = EntriesShown(tree, filter);
        Require(shown.size() == static_cast<std::size_t>(tree.ItemCount()),
                "a filter does not cover the tree");
        for (int item = 0; item < tree.ItemCount(); ++item) {
            const int parent = tree.ParentOf(item);
            Require(parent < item, "a list comes after an item inside it");
            const bool itemShown = shown[static_cast<std::size_t>(item)];
            Require(itemShown || filter != EntryFilter::All, "the filter of all entries hides one");
            Require(itemShown || filter != EntryFilter::WithFindings ||
                        tree.FindingLevel(item) == StructureTreeModel::kNoLevel,
                    "an entry with a finding is hidden by the filter of those with findings");
            Require(!itemShown || parent == StructureTreeModel::kNoItem ||
                        shown[static_cast<std::size_t>(parent)],
                    "a filter shows an item without the list around it");
        }
    }
}

void CheckByteLines(const StructureTreeModel& tree, const report::Analysis& analysis,
                    const std::string& bytes) {
    ByteLinesModel lines;
    const Tester tester(&lines, Tester::FailureReportingMode::Fatal);
    const wavedoc::ByteSource* source = analysis.document->Source();
    Require(source != nullptr && source->Length() == bytes.size(), "the document's source is not the file");
    lines.SetStretch(source, 0, source->Length());
    lines.SetLook([&tree](std::uint64_t offset) { return LookOf(tree, offset); });
    // The window marks the selected entry's bytes: the last item's, as a
    // selection far down the file does.
    const int last = tree.ItemCount() - 1;
    if (tree.Covered(last) > 0)
        lines.SetMarked(ByteLinesModel::Span{tree.Start(last), tree.Start(last) + tree.Covered(last) - 1});
    Require(static_cast<std::uint64_t>(lines.rowCount()) == (bytes.size() + 15) / 16,
            "the byte lines are not a line per 16 bytes");
    static const char kHex[] = "0123456789ABCDEF";
    for (int row = 0; row < lines.rowCount(); ++row) {
        for (int column = 0; column < lines.columnCount(); ++column) {
            const QModelIndex cell = lines.index(row, column);
            ReadEveryRole(lines, cell);
            if (column < 1 || column > ByteLinesModel::kBytesPerLine) continue;
            const std::size_t at = static_cast<std::size_t>(row) * 16 + static_cast<std::size_t>(column - 1);
            const QString shown = cell.data().toString();
            if (at >= bytes.size()) {
                Require(shown.isEmpty(), "a cell past the file shows a byte");
                continue;
            }
            const auto byte = static_cast<unsigned char>(bytes[at]);
            Require(shown.toStdString() == std::string{kHex[byte >> 4], kHex[byte & 15]},
                    "a byte cell does not show the file's byte");
            Require(lines.IndexOfByte(at) == cell, "a byte's cell is not the one that shows it");
        }
    }
    Require(lines.Failure().isEmpty(),
            "the bytes of an unchanged file could not be read:", lines.Failure().toStdString());
    // What the window copies: the bytes of a run of cells, here all of them,
    // dragged from the last to the first.
    Require(lines.Bytes(0, bytes.size()) == bytes, "the bytes read are not the file's");
    if (!bytes.empty()) {
        const QItemSelection run = lines.Run(lines.IndexOfByte(bytes.size() - 1), lines.index(0, 0));
        std::size_t cells = 0;
        for (const QItemSelectionRange& range : run) {
            cells += static_cast<std::size_t>(range.width()) * static_cast<std::size_t>(range.height());
            Require(range.left() >= 1 && range.right() <= ByteLinesModel::kBytesPerLine,
                    "a run of bytes takes in an offset or text cell");
        }
        Require(cells == bytes.size(), "a run over the whole file does not take in every byte once");
    }
    ReadHeaders(lines);
    lines.SetOffsetBase(OffsetBase::Hex);
    if (!bytes.empty()) (void)lines.Reveal(bytes.size() - 1);
    lines.SetMarked(std::nullopt);
    lines.ForgetBytes();
    if (lines.rowCount() > 0) ReadEveryRole(lines, lines.index(lines.rowCount() - 1, 1));
}

void CheckFindings(const report::Analysis& analysis) {
    FindingsModel findings(analysis.findings);
    const Tester tester(&findings, Tester::FailureReportingMode::Fatal);
    Require(static_cast<std::size_t>(findings.rowCount()) == analysis.findings->shown.size(),
            "the findings model does not have a row per finding");
    for (int row = 0; row < findings.rowCount(); ++row) {
        Require(findings.FindingAt(row) == &analysis.findings->shown[static_cast<std::size_t>(row)],
                "a findings row is not its finding");
        for (int column = 0; column < findings.columnCount(); ++column) {
            const QModelIndex cell = findings.index(row, column);
            ReadEveryRole(findings, cell);
            (void)findings.data(cell, FindingsModel::SortRole);
        }
        (void)findings.RowText(row);
    }
    ReadHeaders(findings);
    findings.SetOffsetBase(OffsetBase::Hex);
    // The window's list sorts by any column on the sort role, and back to the
    // check's own order.
    QSortFilterProxyModel sorted;
    sorted.setSourceModel(&findings);
    sorted.setSortRole(FindingsModel::SortRole);
    const Tester sortedTester(&sorted, Tester::FailureReportingMode::Fatal);
    for (int column = 0; column < FindingsModel::ColumnCount; ++column) {
        sorted.sort(column, column % 2 == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
        Require(sorted.rowCount() == findings.rowCount(), "sorting the findings changed their number");
    }
    sorted.sort(-1);
}

void Check(const std::string& bytes) {
    const std::string& path = FilePath();
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        Require(file.good(), "the input could not be written to", path);
    }
    const report::Analysis analysis = AnalysisToShow(path, report::Analysis{});
    if (!analysis.Loaded()) {
        fuzzcheck::RequireSentence(analysis.error, "a refused file without a sentence:");
        Require(analysis.error.find(path) != std::string::npos,
                "a refusal does not name the file:", analysis.error);
        return;
    }
    Require(analysis.findings != nullptr, "the window's analysis was not checked");
    // A second window of the unchanged file shares the analysis.
    Require(AnalysisToShow(path, analysis).document == analysis.document,
            "an unchanged file was analysed again");
    StructureTreeModel tree(*analysis.document);
    CheckTree(tree, analysis);
    CheckByteLines(tree, analysis, bytes);
    CheckFindings(analysis);
}

void RemoveFile() { std::remove(FilePath().c_str()); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    (void)argc;
    (void)argv;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int qtArgc = 1;
    static char name[] = "fuzz_structure_models";
    static char* qtArgv[] = {name, nullptr};
    static QApplication application(qtArgc, qtArgv);
    const char* directory = std::getenv("TMPDIR");
    std::string pattern = std::string(directory != nullptr && *directory != '\0' ? directory : "/tmp") +
                          "/ondulo-fuzz-models.XXXXXX";
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0) fuzzcheck::Finding("no file for the inputs in", pattern);
    close(descriptor);
    FilePath() = pattern;
    std::atexit(RemoveFile);
    // One file with findings of every level first, so that the style's icons,
    // fonts and palette are made before the first input: what Qt keeps of
    // them for good is then no leak of an input.
    using namespace wavtest;
    Check(RiffFile(Chunk("fmt ", PcmFormat(1, 8000, 8)) +
                   Chunk("LIST", ListPayload("INFO", Chunk("INAM", "a"))) + Chunk("data", "abc")) +
          "x");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzcheck::CheckInput(data, size, [](std::string_view bytes) { Check(std::string(bytes)); });
}
