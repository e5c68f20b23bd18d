// The structure window's commands: its menus and the actions they start —
// go to an offset, search the file, copy bytes or findings, save the report.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTreeView>
#include <algorithm>

#include "ui/structure/byte_lines_model.h"
#include "ui/structure/findings_model.h"
#include "ui/structure/frm_structure.h"
#include "ui/structure/mend_flow.h"
#include "ui/structure/offset_parsing.h"
#include "ui/structure/report_save_run.h"
#include "ui/structure/report_saving.h"
#include "ui/structure/structure_table_view.h"
#include "ui/structure/structure_tree_model.h"
#include "ui/structure/window_words.h"
#include "ui/widgets/standard_keys.h"
#include "ui/widgets/user_prompts.h"
#include "ui/widgets/work_runner.h"
#include "wavedoc/document/wave_document.h"

namespace {

const QString kMessageTitle = QStringLiteral("Ondulo");
// A copy takes at most this many bytes, however many are selected.
constexpr std::uint64_t kMostCopiedBytes = 64 * 1024;
constexpr std::uint64_t kLine = ByteLinesModel::kBytesPerLine;

QAction* AddViewAction(QWidget* view, const QString& text, const QKeySequence& key) {
    auto* action = new QAction(text, view);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetShortcut);
    view->addAction(action);
    return action;
}

}  // namespace

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
