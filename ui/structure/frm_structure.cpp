#include "ui/structure/frm_structure.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <new>

#include "chunkinfo/entry_rows.h"
#include "report/file_summary.h"
#include "report/structure_rows.h"
#include "rows/chunk_details.h"
#include "text/display_text.h"
#include "ui/sound/sound_view.h"
#include "ui/sound/waveform_canvas.h"
#include "ui/structure/byte_kinds.h"
#include "ui/structure/byte_lines_model.h"
#include "ui/structure/byte_text_delegate.h"
#include "ui/structure/entry_filter.h"
#include "ui/structure/file_strip.h"
#include "ui/structure/findings_model.h"
#include "ui/structure/mend_flow.h"
#include "ui/structure/offset_parsing.h"
#include "ui/structure/offset_text.h"
#include "ui/structure/report_save_run.h"
#include "ui/structure/report_saving.h"
#include "ui/structure/structure_table_view.h"
#include "ui/structure/structure_tree_model.h"
#include "ui/widgets/grid_rows.h"
#include "ui/widgets/row_table_model.h"
#include "ui/widgets/row_table_view.h"
#include "ui/widgets/standard_keys.h"
#include "ui/widgets/user_prompts.h"
#include "ui/widgets/work_runner.h"
#include "wavedoc/document/wave_document.h"

namespace {

const QString kMessageTitle = QStringLiteral("Ondulo");
// A copy takes at most this many bytes, however many are selected.
constexpr std::uint64_t kMostCopiedBytes = 64 * 1024;
// Up to this many entries the tree opens with every list expanded.
constexpr int kMostExpandedItems = 2000;
constexpr std::uint64_t kLine = ByteLinesModel::kBytesPerLine;

QString Text(std::string_view raw) { return QString::fromStdString(text::DisplayUtf8(raw)); }

QString Hex(std::uint64_t value) { return QStringLiteral("0x") + QString::number(value, 16).toUpper(); }

QString Grouped(std::uint64_t value) { return QString::fromStdString(text::GroupedThousands(value)); }

// The width of `count` average characters of a font.
int Chars(const QFontMetrics& metrics, int count) { return metrics.averageCharWidth() * count; }

// The fixed font the byte cells use.
QFontMetrics FixedFontMetrics() { return QFontMetrics(QFontDatabase::systemFont(QFontDatabase::FixedFont)); }

QAction* AddViewAction(QWidget* view, const QString& text, const QKeySequence& key) {
    auto* action = new QAction(text, view);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetShortcut);
    view->addAction(action);
    return action;
}

// The findings sentence, how many the list holds when the check kept fewer
// than it found, and why the check did not finish.
QString FindingSummary(const wavecheck::Findings& findings) {
    QString summary = Text(report::FindingsSentence(findings));
    if (findings.shown.size() < findings.Total()) {
        summary += QObject::tr(" The list shows %1 of them.").arg(Grouped(findings.shown.size()));
    }
    if (!findings.Finished()) summary += QLatin1Char(' ') + Text(findings.unfinished);
    return summary;
}

}  // namespace

frmStructure::frmStructure(report::Analysis analysis, UserPrompts& prompts, QWidget* parent)
    : QMainWindow(parent), analysis_(std::move(analysis)), prompts_(prompts) {
    setObjectName(QStringLiteral("frmStructure"));
    setAttribute(Qt::WA_DeleteOnClose);
    jobs_ = new WorkRunner(this);
    mend_ = new MendFlow(this, analysis_, prompts_, *jobs_);
    connect(mend_, &MendFlow::BytesChosen, this, &frmStructure::SelectRange);
    connect(mend_, &MendFlow::Said, this,
            [this](const QString& sentence) { statusBar()->showMessage(sentence); });
    connect(mend_, &MendFlow::CopyToOpen, this, &frmStructure::CopyToOpen);
    setWindowTitle(tr("Structure of %1 - Ondulo")
                       .arg(QFileInfo(QFile::decodeName(QByteArray::fromStdString(Path()))).fileName()));
    BuildViews();
    BuildMenus();
    setAcceptDrops(true);
    BuildSoundDock();
    SelectItem(0);
    tvStructure_->setFocus(Qt::OtherFocusReason);
}

frmStructure::~frmStructure() {
    // Work still running is cancelled and waited for first: what it leaves
    // to do touches the views.
    delete jobs_;
    jobs_ = nullptr;
    // The views read the analysis through their models even as the window is
    // taken apart (a last layout of the tree), so they go before it does.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void frmStructure::BuildViews() {
    const QFontMetrics metrics = fontMetrics();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* panes = new QSplitter(Qt::Vertical, central);
    panes->setChildrenCollapsible(false);
    auto* top = new QSplitter(Qt::Horizontal, panes);
    top->setChildrenCollapsible(false);

    BuildTreePane(top);
    auto* right = new QSplitter(Qt::Vertical, top);
    right->setChildrenCollapsible(false);
    BuildRowsPane(right);
    BuildBytesPane(right);
    BuildFindingsPane(panes);

    top->setStretchFactor(0, 1);
    top->setStretchFactor(1, 1);
    top->setSizes({Chars(metrics, 80), Chars(metrics, 112)});
    right->setSizes({metrics.height() * 12, metrics.height() * 14});
    panes->setSizes({metrics.height() * 28, metrics.height() * 10});
    layout->addWidget(panes);
    setCentralWidget(central);
    FitSize(QSize(Chars(metrics, 192), metrics.height() * 42));

    SetTabOrderAsPanesRead();
    ConnectViews();
    AddCopyActions();
}

void frmStructure::BuildTreePane(QSplitter* top) {
    tree_ = new StructureTreeModel(*analysis_.document, this);
    {
        // Each entry carries the icon of the gravest finding about it.
        std::vector<std::pair<std::uint64_t, std::uint64_t>> offsets;
        std::vector<int> levels;
        for (const wavecheck::Finding& finding : analysis_.findings->shown) {
            offsets.emplace_back(finding.offset, finding.chunkOffset);
            levels.push_back(static_cast<int>(finding.level));
        }
        tree_->SetFindingLevels(offsets, levels);
    }
    // The strip of the whole file over the tree.
    auto* treeBox = new QWidget(top);
    auto* treeLayout = new QVBoxLayout(treeBox);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    const wavedoc::ByteSource* fileSource = analysis_.document->Source();
    strip_ = new FileStrip(*tree_, fileSource != nullptr ? fileSource->Length() : 0, treeBox);
    {
        std::vector<std::pair<std::uint64_t, int>> marks;
        for (const wavecheck::Finding& finding : analysis_.findings->shown)
            marks.emplace_back(finding.offset, static_cast<int>(finding.level));
        strip_->SetFindings(std::move(marks));
    }
    connect(strip_, &FileStrip::ItemClicked, this, [this](int item) { SelectItem(item); });
    tvStructure_ = new QTreeView(treeBox);
    treeLayout->addWidget(strip_);
    treeLayout->addWidget(tvStructure_, 1);
    tvStructure_->setObjectName(QStringLiteral("tvStructure"));
    tvStructure_->setModel(tree_);
    tvStructure_->setUniformRowHeights(true);
    tvStructure_->setAllColumnsShowFocus(true);
    tvStructure_->setSelectionMode(QAbstractItemView::SingleSelection);
    tvStructure_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvStructure_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvStructure_->setAccessibleName(tr("File structure"));
    tvStructure_->setAccessibleDescription(
        tr("Every chunk, sub-chunk and run of stray bytes of the file, in file order, a list's sub-chunks "
           "under it: offset, chunk, size field, bytes present and state. Select one to see its rows and "
           "bytes."));
    const QFontMetrics metrics = fontMetrics();
    QHeaderView* treeHeader = tvStructure_->header();
    treeHeader->setStretchLastSection(true);
    // The nesting shows where the chunks are named; the offsets stay in a
    // column of their own, right-aligned. The chunk column has room for the
    // deepest level the file has (lists nest kMostListDepth deep at most),
    // and at least two.
    tvStructure_->setTreePosition(StructureTreeModel::ChunkColumn);
    int deepest = 1;
    for (const wavedoc::MapEntry& entry : analysis_.document->Structure().entries)
        deepest = std::max(deepest, entry.depth);
    // The number columns are as wide as the largest value the file can give
    // them, in either base, so that no number is ever cut short.
    const wavedoc::ByteSource* source = analysis_.document->Source();
    const std::uint64_t length = source != nullptr ? source->Length() : 0;
    const auto widest = [&metrics](std::uint64_t value) {
        return std::max(metrics.horizontalAdvance(OffsetText(value, OffsetBase::Decimal)),
                        metrics.horizontalAdvance(OffsetText(value, OffsetBase::Hex))) +
               Chars(metrics, 3);
    };
    treeHeader->resizeSection(StructureTreeModel::OffsetColumn, widest(length));
    treeHeader->resizeSection(StructureTreeModel::ChunkColumn,
                              Chars(metrics, 16) + (deepest + 1) * tvStructure_->indentation());
    treeHeader->resizeSection(StructureTreeModel::SizeColumn,
                              metrics.horizontalAdvance(QStringLiteral("-2147483648")) + Chars(metrics, 3));
    treeHeader->resizeSection(StructureTreeModel::PresentColumn, widest(length));
    if (tree_->ItemCount() <= kMostExpandedItems) tvStructure_->expandAll();
}

void frmStructure::BuildRowsPane(QSplitter* right) {
    auto* rowsPane = new QWidget(right);
    auto* rowsLayout = new QVBoxLayout(rowsPane);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rows_ = new RowTableModel(tr("Parameter"), tr("Value"), this);
    dbgRows_ = new RowTableView(rowsPane);
    dbgRows_->setObjectName(QStringLiteral("dbgStructureRows"));
    dbgRows_->setModel(rows_);
    dbgRows_->setAccessibleName(tr("Entry fields"));
    dbgRows_->setAccessibleDescription(tr("The fields of the selected entry and their values"));
    lbRowsStatus_ = new QLabel(rowsPane);
    lbRowsStatus_->setObjectName(QStringLiteral("lbRowsStatus"));
    lbRowsStatus_->setTextFormat(Qt::PlainText);
    lbRowsStatus_->setWordWrap(true);
    lbRowsStatus_->setAccessibleName(tr("Why the fields stop short"));
    rowsLayout->addWidget(dbgRows_, 1);
    rowsLayout->addWidget(lbRowsStatus_);
    connect(rows_, &RowTableModel::RowsStopped, this, &frmStructure::ShowRowsStop);
}

void frmStructure::ShowRowsStop(const QString& sentence) {
    lbRowsStatus_->setText(sentence);
    lbRowsStatus_->setVisible(!sentence.isEmpty());
    lbRowsStatus_->setAccessibleDescription(sentence);
}

void frmStructure::BuildBytesPane(QSplitter* right) {
    auto* bytesBox = new QWidget(right);
    auto* bytesLayout = new QVBoxLayout(bytesBox);
    bytesLayout->setContentsMargins(0, 0, 0, 0);
    bytesPane_ = new QStackedWidget(bytesBox);
    bytes_ = new ByteLinesModel(this);
    tvBytes_ = new ByteTableView(bytesPane_);
    tvBytes_->setObjectName(QStringLiteral("tvBytes"));
    tvBytes_->setModel(bytes_);
    tvBytes_->setSelectionBehavior(QAbstractItemView::SelectItems);
    tvBytes_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tvBytes_->setShowGrid(false);
    // The text column colours and marks its characters as the hex cells are.
    tvBytes_->setItemDelegateForColumn(ByteLinesModel::kTextColumn, new ByteTextDelegate(tvBytes_));
    tvBytes_->verticalHeader()->setDefaultSectionSize(FixedFontMetrics().height() + 4);
    tvBytes_->setAccessibleName(tr("Entry bytes"));
    tvBytes_->setAccessibleDescription(
        tr("The bytes of the whole file, 16 a line: offset, hex and text. The selected entry's bytes, or the "
           "selected field's, are marked; clicking a byte selects the entry and field that hold it. "
           "Ctrl+C copies the selected bytes as hex, Ctrl+Shift+C as text; Ctrl+G goes to an offset."));
    SizeByteColumns();
    // One view of the whole file, read only as far as it is scrolled.
    const wavedoc::ByteSource* source = analysis_.document->Source();
    bytes_->SetStretch(source, 0, source != nullptr ? source->Length() : 0);
    bytes_->SetLook([this](std::uint64_t offset) { return LookOf(*tree_, offset); });
    lbBytesFailure_ = new QLabel(bytesPane_);
    lbBytesFailure_->setObjectName(QStringLiteral("lbBytesFailure"));
    lbBytesFailure_->setTextFormat(Qt::PlainText);
    lbBytesFailure_->setWordWrap(true);
    lbBytesFailure_->setAlignment(Qt::AlignCenter);
    lbBytesFailure_->setAccessibleName(tr("Why the bytes cannot be shown"));
    bytesPane_->addWidget(tvBytes_);
    bytesPane_->addWidget(lbBytesFailure_);
    lbByteSelection_ = new QLabel(bytesBox);
    lbByteSelection_->setObjectName(QStringLiteral("lbByteSelection"));
    lbByteSelection_->setTextFormat(Qt::PlainText);
    // Wrapped, so that a long sentence never widens the window.
    lbByteSelection_->setWordWrap(true);
    lbByteSelection_->setAccessibleName(tr("Selected bytes"));
    auto* legend = new QLabel(ByteLegend(palette()), bytesBox);
    legend->setObjectName(QStringLiteral("lbByteLegend"));
    legend->setTextFormat(Qt::RichText);
    legend->setWordWrap(true);
    legend->setAccessibleName(tr("What the colours of the bytes mean"));
    bytesLayout->addWidget(bytesPane_, 1);
    bytesLayout->addWidget(legend);
    bytesLayout->addWidget(lbByteSelection_);
}

void frmStructure::SizeByteColumns() {
    const QFontMetrics fixed = FixedFontMetrics();
    QHeaderView* bytesHeader = tvBytes_->horizontalHeader();
    bytesHeader->setSectionResizeMode(QHeaderView::Fixed);
    // Room for the text and the cell's margins, in the fixed font the cells use.
    const int cellMargins = fixed.averageCharWidth();
    // As wide as the last offset of the file in either base.
    const wavedoc::ByteSource* source = analysis_.document->Source();
    const std::uint64_t last = source != nullptr ? source->Length() : 0;
    const qsizetype digits = std::max({OffsetText(last, OffsetBase::Decimal).size(),
                                       OffsetText(last, OffsetBase::Hex).size(), qsizetype{8}});
    bytesHeader->resizeSection(ByteLinesModel::kOffsetColumn,
                               fixed.horizontalAdvance(QString(digits, QLatin1Char('0'))) + cellMargins);
    for (int column = 1; column <= ByteLinesModel::kBytesPerLine; ++column) {
        bytesHeader->resizeSection(column, fixed.horizontalAdvance(QStringLiteral("00")) + cellMargins);
    }
    bytesHeader->resizeSection(
        ByteLinesModel::kTextColumn,
        fixed.horizontalAdvance(QString(ByteLinesModel::kBytesPerLine, QLatin1Char('W'))) + cellMargins);
}

void frmStructure::BuildFindingsPane(QSplitter* panes) {
    auto* findingsBox = new QWidget(panes);
    auto* findingsLayout = new QVBoxLayout(findingsBox);
    findingsLayout->setContentsMargins(0, 0, 0, 0);
    lbFindingSummary_ = new QLabel(FindingSummary(*analysis_.findings), findingsBox);
    lbFindingSummary_->setObjectName(QStringLiteral("lbFindingSummary"));
    lbFindingSummary_->setTextFormat(Qt::PlainText);
    lbFindingSummary_->setWordWrap(true);
    lbFindingSummary_->setAccessibleName(tr("Findings summary"));
    lbFindingSummary_->setAccessibleDescription(lbFindingSummary_->text());
    findings_ = new FindingsModel(analysis_.findings, this);
    sortedFindings_ = new QSortFilterProxyModel(this);
    sortedFindings_->setSourceModel(findings_);
    sortedFindings_->setSortRole(FindingsModel::SortRole);
    tvFindings_ = new StructureTableView(findingsBox);
    tvFindings_->setObjectName(QStringLiteral("tvFindings"));
    tvFindings_->setModel(sortedFindings_);
    tvFindings_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvFindings_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tvFindings_->setSortingEnabled(true);
    tvFindings_->sortByColumn(-1, Qt::AscendingOrder);  // the check's own order until a title is clicked
    tvFindings_->setAccessibleName(tr("Findings"));
    tvFindings_->setAccessibleDescription(
        tr("What the check found in the file: level, offset, chunk, code and sentence. Select one to see its "
           "entry and first byte; Ctrl+C copies the selected findings."));
    SizeFindingColumns();
    findingsLayout->addWidget(lbFindingSummary_);
    findingsLayout->addWidget(tvFindings_, 1);
}

void frmStructure::SizeFindingColumns() {
    const QFontMetrics metrics = fontMetrics();
    QHeaderView* findingsHeader = tvFindings_->horizontalHeader();
    const int iconRoom = style()->pixelMetric(QStyle::PM_SmallIconSize) + Chars(metrics, 3);
    findingsHeader->resizeSection(FindingsModel::LevelColumn,
                                  metrics.horizontalAdvance(tr("warning")) + iconRoom + Chars(metrics, 2));
    findingsHeader->resizeSection(FindingsModel::OffsetColumn, Chars(metrics, 12));
    findingsHeader->resizeSection(FindingsModel::ChunkColumn,
                                  metrics.horizontalAdvance(QStringLiteral("WWWW")) + Chars(metrics, 3));
    findingsHeader->resizeSection(FindingsModel::CodeColumn, Chars(metrics, 22));
}

void frmStructure::SetTabOrderAsPanesRead() {
    // The keyboard walks the panes as they read: tree, rows, bytes, findings.
    setTabOrder(tvStructure_, dbgRows_);
    setTabOrder(dbgRows_, tvBytes_);
    setTabOrder(tvBytes_, tvFindings_);
}

void frmStructure::ConnectViews() {
    connect(tvStructure_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &frmStructure::EntryChanged);
    connect(tvFindings_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &frmStructure::FindingChanged);
    connect(tvBytes_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmStructure::ByteSelectionChanged);
    connect(dbgRows_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &frmStructure::FieldChanged);
    connect(tvBytes_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &frmStructure::CurrentByteChanged);
    connect(bytes_, &ByteLinesModel::ReadFailed, this, &frmStructure::ShowBytesFailure);
    connect(bytes_, &QAbstractItemModel::modelReset, this, &frmStructure::ByteSelectionChanged);
}

void frmStructure::AddCopyActions() {
    QAction* copyHex = AddViewAction(tvBytes_, tr("Copy as hex"), QKeySequence::Copy);
    QAction* copyText =
        AddViewAction(tvBytes_, tr("Copy as text"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    tvBytes_->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(copyHex, &QAction::triggered, this, &frmStructure::CopyBytesAsHex);
    connect(copyText, &QAction::triggered, this, &frmStructure::CopyBytesAsText);
    connect(tvBytes_, &StructureTableView::CopyRequested, this, &frmStructure::CopyBytesAsHex);
    QAction* copyFindings = AddViewAction(tvFindings_, tr("Copy"), QKeySequence::Copy);
    tvFindings_->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(copyFindings, &QAction::triggered, this, &frmStructure::CopyFindings);
    connect(tvFindings_, &StructureTableView::CopyRequested, this, &frmStructure::CopyFindings);
}

void frmStructure::BuildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("mStructureFile"));
    QAction* save = file->addAction(tr("&Save report…"));
    save->setObjectName(QStringLiteral("mSaveReport"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, &frmStructure::SaveReportAs);
    QAction* mended = file->addAction(tr("Save &mended copy…"));
    mended->setObjectName(QStringLiteral("mSaveMendedCopy"));
    connect(mended, &QAction::triggered, mend_, &MendFlow::ShowPlan);
    file->addSeparator();
    QAction* closing = file->addAction(tr("&Close"));
    closing->setObjectName(QStringLiteral("mCloseStructure"));
    closing->setShortcuts(StandardKeys(QKeySequence::Close, QKeySequence(Qt::CTRL | Qt::Key_W)));
    connect(closing, &QAction::triggered, this, &QWidget::close);

    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("mStructureView"));
    QAction* expand = view->addAction(tr("&Expand all"));
    expand->setObjectName(QStringLiteral("mExpandAll"));
    expand->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Plus));
    connect(expand, &QAction::triggered, tvStructure_, &QTreeView::expandAll);
    QAction* collapse = view->addAction(tr("&Collapse all"));
    collapse->setObjectName(QStringLiteral("mCollapseAll"));
    collapse->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    connect(collapse, &QAction::triggered, this, [this] {
        tvStructure_->collapseAll();
        // The entry selected stays in sight: its top-level list, when it was inside one.
        int item = currentItem_;
        while (item != StructureTreeModel::kNoItem && tree_->ParentOf(item) != StructureTreeModel::kNoItem)
            item = tree_->ParentOf(item);
        if (item != StructureTreeModel::kNoItem && item != currentItem_) SelectItem(item);
    });

    QMenu* showOnly = view->addMenu(tr("&Show entries"));
    showOnly->setObjectName(QStringLiteral("mShowEntries"));
    auto* filters = new QActionGroup(showOnly);
    const std::pair<EntryFilter, QString> kFilters[] = {
        {EntryFilter::All, tr("&All")},
        {EntryFilter::Damaged, tr("&Damaged")},
        {EntryFilter::NotListed, tr("&Not listed")},
        {EntryFilter::WithFindings, tr("With &findings")},
    };
    for (const auto& [filter, name] : kFilters) {
        QAction* action = showOnly->addAction(name);
        action->setCheckable(true);
        action->setChecked(filter == EntryFilter::All);
        action->setActionGroup(filters);
        action->setObjectName(QStringLiteral("mShow") + QString::number(static_cast<int>(filter)));
        const EntryFilter chosen = filter;
        connect(action, &QAction::triggered, this, [this, chosen] { ShowEntries(chosen); });
    }
    view->addSeparator();
    QAction* hex = view->addAction(tr("Offsets in &hex"));
    hex->setObjectName(QStringLiteral("mOffsetsInHex"));
    hex->setCheckable(true);
    connect(hex, &QAction::toggled, this, [this](bool inHex) {
        const OffsetBase base = inHex ? OffsetBase::Hex : OffsetBase::Decimal;
        tree_->SetOffsetBase(base);
        bytes_->SetOffsetBase(base);
        findings_->SetOffsetBase(base);
    });

    QMenu* go = menuBar()->addMenu(tr("&Go"));
    go->setObjectName(QStringLiteral("mStructureGo"));
    QAction* offset = go->addAction(tr("&Offset…"));
    offset->setObjectName(QStringLiteral("mGoToOffset"));
    offset->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(offset, &QAction::triggered, this, &frmStructure::AskForOffset);
    go->addSeparator();
    QAction* find = go->addAction(tr("&Find…"));
    find->setObjectName(QStringLiteral("mFind"));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(find, &QAction::triggered, this, &frmStructure::AskToSearch);
    QAction* next = go->addAction(tr("Find &next"));
    next->setObjectName(QStringLiteral("mFindNext"));
    next->setShortcut(QKeySequence(Qt::Key_F3));
    connect(next, &QAction::triggered, this, [this] { SearchOn(true); });
    QAction* previous = go->addAction(tr("Find &previous"));
    previous->setObjectName(QStringLiteral("mFindPrevious"));
    previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    connect(previous, &QAction::triggered, this, [this] { SearchOn(false); });

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

namespace {

// The first local file among dropped items.
std::optional<QString> DroppedFile(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls()) return std::nullopt;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) return url.toLocalFile();
    }
    return std::nullopt;
}

}  // namespace

void frmStructure::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedFile(event->mimeData())) event->acceptProposedAction();
}

void frmStructure::dropEvent(QDropEvent* event) {
    const std::optional<QString> path = DroppedFile(event->mimeData());
    if (!path) return;
    event->acceptProposedAction();
    emit FileDropped(*path);
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

void frmStructure::FitSize(const QSize& wanted) {
    // Never larger than the screen's available area, whatever the scale; a
    // window is laid out at most that large, so it opens wholly on screen.
    const QScreen* shown = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    QSize size = wanted;
    if (shown != nullptr) {
        const QSize room = shown->availableGeometry().size();
        // The frame the window system adds goes round the size given; before
        // the window is shown it is not known, so a title bar and borders as
        // the style draws them are allowed for.
        QSize frame = frameGeometry().size() - geometry().size();
        if (!isVisible() || frame.isEmpty()) {
            const int border = 2 * style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
            frame = QSize(border, border + style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
        }
        size = size.boundedTo(room - frame);
        setMaximumSize(room);
    }
    resize(size);
}

void frmStructure::BuildSoundDock() {
    auto* dock = new QDockWidget(tr("Sound"), this);
    dock->setObjectName(QStringLiteral("dkSound"));
    dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    sound_ = new SoundView(analysis_, dock);
    dock->setWidget(sound_);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    // The keyboard reaches the waveform after the findings.
    setTabOrder(tvFindings_, sound_->Canvas());
    // Its switch joins the View menu BuildMenus made.
    QMenu* view = menuBar()->findChild<QMenu*>(QStringLiteral("mStructureView"));
    view->addSeparator();
    QAction* shown = dock->toggleViewAction();
    shown->setObjectName(QStringLiteral("mShowSound"));
    shown->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    view->addAction(shown);
    connect(sound_, &SoundView::MarkerActivated, this, [this](std::uint64_t offset) { GoToOffset(offset); });
    connect(tvStructure_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                const int item = tree_->ItemOf(current);
                if (item == StructureTreeModel::kNoItem) return;
                sound_->HighlightRecords(tree_->Start(item), tree_->Start(item) + tree_->Covered(item));
            });
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

void frmStructure::AskForOffset() {
    const std::uint64_t length = analysis_.document->Source()->Length();
    const std::optional<QString> answer =
        prompts_.AskText(this, tr("Go to offset"),
                         tr("Offset in the file, in decimal or in hex after 0x (the file holds %1 bytes):")
                             .arg(Grouped(length)),
                         QString());
    if (!answer) return;
    const ParsedOffset parsed = ParseOffset(answer->toStdString(), length);
    if (!parsed.offset) {
        prompts_.ShowMessage(this, kMessageTitle, Text(parsed.problem), QString());
        return;
    }
    if (GoToOffset(*parsed.offset)) tvBytes_->setFocus(Qt::ShortcutFocusReason);
}

void frmStructure::AskToSearch() {
    if (SayBusy()) return;
    const std::optional<QString> answer = prompts_.AskText(
        this, tr("Find"),
        tr("Text to find (as UTF-8 and as UTF-16), or bytes in hex such as 44 AC 00 00 or 0x44AC0000:"),
        QString());
    if (!answer) return;
    const bool bigEndian = analysis_.document->Form() == wavedoc::FileForm::Rifx;
    SearchPatterns patterns = PatternsFor(answer->toStdString(), bigEndian);
    if (!patterns.problem.empty()) {
        prompts_.ShowMessage(this, kMessageTitle, Text(patterns.problem), QString());
        return;
    }
    searched_ = std::move(patterns);
    // From the byte after the current one, so a second Ctrl+F moves on.
    const auto span = SelectedBytes();
    lastHit_ = span ? std::optional(bytes_->Start() + span->first) : std::nullopt;
    SearchOn(true);
}

void frmStructure::SearchOn(bool forward) {
    if (searched_.patterns.empty()) {
        AskToSearch();
        return;
    }
    const wavedoc::ByteSource* source = analysis_.document->Source();
    if (source == nullptr || SayBusy()) return;
    const std::uint64_t length = source->Length();
    const std::uint64_t from = forward ? (lastHit_ ? *lastHit_ + 1 : 0) : lastHit_.value_or(length);
    const std::uint64_t total = forward ? length - std::min(from, length) : std::min(from, length);
    // In pieces of 1 MB: Cancel stops the search within one, and memory is
    // one piece whatever the file's length.
    constexpr std::uint64_t kPiece = 1 << 20;
    WorkRunner::Job job{
        .title = tr("Find"),
        .total = total,
        .progressText =
            [total](std::uint64_t searched) {
                return tr("Searching the file: %1 of %2 bytes searched.")
                    .arg(Grouped(std::min(searched, total)))
                    .arg(Grouped(total));
            },
        // The document is shared with the search, so it outlives the window if need be.
        .work = [this, document = analysis_.document, patterns = searched_, from,
                 forward](JobControl& control) -> std::function<void()> {
            SearchOutcome outcome = SearchFile(*document->Source(), patterns, from, forward, kPiece, control);
            return [this, outcome = std::move(outcome), from, forward] {
                ShowSearchOutcome(outcome, from, forward);
            };
        },
    };
    jobs_->Start(std::move(job));
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

void frmStructure::ShowSearchOutcome(const SearchOutcome& outcome, std::uint64_t from, bool forward) {
    if (outcome.problem) {
        // The bytes shown are read again, so that they too show what became of the file.
        bytes_->ForgetBytes();
        prompts_.ShowMessage(this, kMessageTitle, Text(*outcome.problem), QString());
        return;
    }
    const std::optional<SearchHit>& hit = outcome.hit;
    if (!hit) {
        lbByteSelection_->setText(outcome.cancelled ? tr("The search was cancelled.")
                                  : forward         ? tr("Not found after offset %1.").arg(from)
                                                    : tr("Not found before offset %1.").arg(from));
        lbByteSelection_->setAccessibleDescription(lbByteSelection_->text());
        return;
    }
    lastHit_ = hit->offset;
    SelectRange(hit->offset, hit->length);
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

void frmStructure::CopyBytes(bool text) {
    const auto span = SelectedBytes();
    if (!span) return;
    const std::uint64_t selected = span->second - span->first + 1;
    const std::uint64_t count = std::min(selected, kMostCopiedBytes);
    const std::optional<std::string> bytes = bytes_->Bytes(span->first, count);
    if (!bytes) return;  // the failure shows in place of the bytes
    QString copied;
    if (text) {
        std::string line;
        for (const char byte : *bytes) line += ByteLinesModel::TextOf(static_cast<unsigned char>(byte));
        copied = QString::fromLatin1(line);
    } else {
        QStringList lines;
        for (std::size_t at = 0; at < bytes->size(); at += kLine) {
            lines << QString::fromStdString(
                text::HexDigits(std::string_view(*bytes).substr(at, kLine), text::HexCase::Upper, " "));
        }
        copied = lines.join(QLatin1Char('\n'));
    }
    QGuiApplication::clipboard()->setText(copied);
    const QString form = text ? tr("as text") : tr("as hex");
    lbByteSelection_->setText(bytes->size() < selected
                                  ? tr("Copied the first %1 of the %2 bytes selected %3.")
                                        .arg(Grouped(bytes->size()))
                                        .arg(Grouped(selected))
                                        .arg(form)
                                  : tr("Copied %1 %2 %3.")
                                        .arg(Grouped(bytes->size()))
                                        .arg(bytes->size() == 1 ? tr("byte") : tr("bytes"))
                                        .arg(form));
    lbByteSelection_->setAccessibleDescription(lbByteSelection_->text());
}

void frmStructure::CopyBytesAsHex() { CopyBytes(false); }

void frmStructure::CopyBytesAsText() { CopyBytes(true); }

void frmStructure::CopyFindings() {
    QModelIndexList selected = tvFindings_->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList lines;
    for (const QModelIndex& row : selected)
        lines << findings_->RowText(sortedFindings_->mapToSource(row).row());
    if (!lines.isEmpty()) QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

void frmStructure::ShowBytesFailure(const QString& sentence) {
    lbBytesFailure_->setText(sentence);
    lbBytesFailure_->setAccessibleDescription(sentence);
    const bool hadFocus = tvBytes_->hasFocus();
    bytesPane_->setCurrentWidget(lbBytesFailure_);
    // The pane's place in the Tab order is kept by the findings after it.
    if (hadFocus) tvFindings_->setFocus(Qt::OtherFocusReason);
}

bool frmStructure::SayBusy() {
    if (!jobs_->Busy()) return false;
    statusBar()->showMessage(tr("A search or a save is still running: wait for it, or cancel it, first."));
    return true;
}

void frmStructure::SaveReportAs() {
    if (SayBusy()) return;
    const QFileInfo shown(QFile::decodeName(QByteArray::fromStdString(Path())));
    const std::optional<QString> chosen =
        prompts_.ChooseSaveFile(this, shown.dir().filePath(shown.completeBaseName() + QStringLiteral(".txt")),
                                tr("Text report (*.txt);;JSON report (*.json)"));
    if (!chosen) return;
    const QString destination = *chosen;
    StartReportSave(*jobs_, analysis_, QFile::encodeName(destination).toStdString(),
                    [this, destination](const SaveOutcome& saved) {
                        if (saved.problem) {
                            prompts_.ShowMessage(this, kMessageTitle, Text(*saved.problem), QString());
                        } else if (!saved.cancelled) {
                            statusBar()->showMessage(
                                tr("The report was saved to %1.").arg(QDir::toNativeSeparators(destination)));
                        }
                    });
}
