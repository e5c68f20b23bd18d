// The structure window's panes: building its views, sizing their columns to
// the file, the window to the screen, and wiring the views to each other.
#include <QDockWidget>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "report/file_summary.h"
#include "ui/sound/sound_view.h"
#include "ui/sound/waveform_canvas.h"
#include "ui/structure/byte_kinds.h"
#include "ui/structure/byte_lines_model.h"
#include "ui/structure/byte_text_delegate.h"
#include "ui/structure/file_strip.h"
#include "ui/structure/findings_model.h"
#include "ui/structure/frm_structure.h"
#include "ui/structure/offset_text.h"
#include "ui/structure/structure_table_view.h"
#include "ui/structure/structure_tree_model.h"
#include "ui/structure/window_words.h"
#include "ui/widgets/row_table_model.h"
#include "ui/widgets/row_table_view.h"
#include "wavedoc/document/wave_document.h"

namespace {

// Up to this many entries the tree opens with every list expanded.
constexpr int kMostExpandedItems = 2000;

// The width of `count` average characters of a font.
int Chars(const QFontMetrics& metrics, int count) { return metrics.averageCharWidth() * count; }

// The fixed font the byte cells use.
QFontMetrics FixedFontMetrics() { return QFontMetrics(QFontDatabase::systemFont(QFontDatabase::FixedFont)); }

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
    // The fields and bytes get what room the window gains; an empty findings
    // list keeps only its summary line.
    panes->setStretchFactor(0, 1);
    panes->setStretchFactor(1, 0);
    // A short list as tall as its rows, titles and summary; a long one ten lines.
    const int findingLines = findings_->rowCount() == 0 ? 1 : std::min(findings_->rowCount() + 3, 10);
    panes->setSizes(
        {metrics.height() * 28, tvFindings_->verticalHeader()->defaultSectionSize() * findingLines});
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
    // A size field, or a size from ds64 as wide as the file's length, marked so.
    treeHeader->resizeSection(
        StructureTreeModel::SizeColumn,
        std::max(metrics.horizontalAdvance(QStringLiteral("-2147483648")) + Chars(metrics, 3),
                 widest(length) + metrics.horizontalAdvance(tr(" (ds64)"))));
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
    // No findings: the summary ("No findings.") alone, no empty table; the
    // table comes back when findings are added.
    const auto showTableWhenFilled = [this] { tvFindings_->setVisible(findings_->rowCount() > 0); };
    connect(findings_, &QAbstractItemModel::modelReset, this, showTableWhenFilled);
    connect(findings_, &QAbstractItemModel::rowsInserted, this, showTableWhenFilled);
    showTableWhenFilled();
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

void frmStructure::FitSize(const QSize& least) {
    // Most of the screen's available area (nine tenths each way), and never
    // less than `least` unless the area is smaller: then all of it, whatever
    // the scale. A window is laid out at most that large, so it opens wholly
    // on screen.
    const QScreen* shown = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    QSize size = least;
    if (shown != nullptr) {
        const QRect area = shown->availableGeometry();
        const QSize room = area.size();
        // The frame the window system adds goes round the size given; before
        // the window is shown it is not known, so a title bar and borders as
        // the style draws them are allowed for.
        QSize frame = frameGeometry().size() - geometry().size();
        if (!isVisible() || frame.isEmpty()) {
            const int border = 2 * style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
            frame = QSize(border, border + style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
        }
        size = (room * 0.9).expandedTo(least).boundedTo(room - frame);
        setMaximumSize(room);
        // Placed in the middle of the area, so that no window system puts a
        // second window partly off the screen.
        move(area.left() + (room.width() - size.width() - frame.width()) / 2,
             area.top() + (room.height() - size.height() - frame.height()) / 2);
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
    // A quarter of the window to begin with: the fields and bytes come first.
    resizeDocks({dock}, {height() / 4}, Qt::Vertical);
    // The keyboard reaches the waveform after the findings.
    setTabOrder(tvFindings_, sound_->Canvas());
    // Its switch joins the View menu BuildMenus made.
    QMenu* view = menuBar()->findChild<QMenu*>(QStringLiteral("mStructureView"));
    view->addSeparator();
    QAction* shown = dock->toggleViewAction();
    shown->setObjectName(QStringLiteral("mShowSound"));
    shown->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    view->addAction(shown);
    connect(sound_, &SoundView::MarkerActivated, this, &frmStructure::SelectRecordAt);
    // What the sound says of the file's claims joins the findings list, and
    // the measurement joins the analysis, so that a saved report holds what
    // the window shows.
    connect(sound_, &SoundView::Compared, this,
            [this](const wavecheck::Findings& compared, std::shared_ptr<const sound::Measurement> measured) {
                findings_->AddMeasured(compared);
                if (analysis_.findings != nullptr)
                    analysis_.findings = std::make_shared<const wavecheck::Findings>(findings_->Shown());
                analysis_.measured = std::move(measured);
                lbFindingSummary_->setText(FindingSummary(findings_->Shown()));
                lbFindingSummary_->setAccessibleDescription(lbFindingSummary_->text());
            });
    connect(tvStructure_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                const int item = tree_->ItemOf(current);
                if (item == StructureTreeModel::kNoItem) return;
                sound_->HighlightRecords(tree_->Start(item), tree_->Start(item) + tree_->Covered(item));
            });
}
