#include "ui/main/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelection>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <new>
#include <optional>

#include "report/analysis.h"
#include "report/file_summary.h"
#include "rows/chunk_details.h"
#include "rows/fill_chunk_list.h"
#include "rows/row_sink.h"
#include "text/display_text.h"
#include "ui/info/frm_about.h"
#include "ui/info/frm_help.h"
#include "ui/main/modprg.h"
#include "ui/structure/frm_structure.h"
#include "ui/structure/structure_opening.h"
#include "ui/widgets/busy_cursor.h"
#include "ui/widgets/elided_label.h"
#include "ui/widgets/focus_frame_label.h"
#include "ui/widgets/one_line_text.h"
#include "ui/widgets/row_table_model.h"
#include "ui/widgets/row_table_view.h"
#include "ui/widgets/standard_keys.h"
#include "wavecheck/findings.h"
#include "wavedoc/document/structure_map.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/byte_source.h"
#include "wavedoc/reading/riff_layout.h"
#include "wavedoc/reading/wave_error.h"

namespace {

const QString kMessageTitle = QStringLiteral("Ondulo");
const QString kWavFilter = QStringLiteral("WAV Files (*.WAV *.wav)");
// Puts the focus in the path box with its text selected, as in a web browser.
const QKeySequence kGoToPathKey(Qt::CTRL | Qt::Key_L);
const QKeySequence kStructureKey(Qt::CTRL | Qt::Key_M);

// The window was laid out in twips for a font about 13 pixels high; scaling by
// the actual font keeps the arrangement on any font and screen.
constexpr double kTwipsPerPixel = 15.0;
constexpr double kDesignFontHeight = 13.0;
constexpr int kClientWidthTwips = 8775;
constexpr int kClientHeightTwips = 5535;
constexpr int kMarginTwips = 120;
constexpr int kChunkGridWidthTwips = 2130;
constexpr int kValueGridWidthTwips = 5910;
// How many sentences the status line shows before it points to its tool tip,
// and how many the tool tip lists before it counts the rest.
constexpr qsizetype kStatusSentences = 3;
constexpr qsizetype kStatusToolTipSentences = 20;
// A quoted name in a sentence (a path) longer than this many bytes is
// shortened in the middle, where a path says least.
constexpr std::size_t kMostQuotedBytes = 80;
// The findings label's tool tip lists this many findings at the most.
constexpr std::size_t kFindingLines = 20;

// Raw bytes from the file or the parser (chunk ids, paths) as text on screen.
QString TextFromBytes(const std::string& raw) { return QString::fromStdString(text::DisplayUtf8(raw)); }

// The first local file among dropped items.
std::optional<QString> DroppedFilePath(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls()) return std::nullopt;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) return url.toLocalFile();
    }
    return std::nullopt;
}

// Help and About: created on first use, unloaded when closed, modal while open.
template <typename Window>
void ShowModalWindow(QPointer<Window>& window, QWidget* parent) {
    if (window.isNull()) {
        window = new Window(parent);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowModality(Qt::ApplicationModal);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

frmMain::frmMain(std::unique_ptr<UserPrompts> prompts, QWidget* parent)
    : QMainWindow(parent), prompts_(std::move(prompts)) {
    analysis_.document = std::make_shared<const wavedoc::WaveDocument>();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("ODL - Ondulo"));
    setAcceptDrops(true);
    BuildControls();
    BuildMenus();

    txtPatches_->setText(QString());
    cbAnalize_->setEnabled(false);
    chunkRows_->SetRows({});
    valueRows_->SetRows({});
    dbgChunk_->FitFirstColumn();
    dbgValues_->FitFirstColumn();
}

frmMain::~frmMain() = default;

void frmMain::BuildControls() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(Pixels(kMarginTwips), Pixels(kMarginTwips), Pixels(kMarginTwips),
                               Pixels(kMarginTwips / 2));
    BuildPathStrip(central, layout);
    const int chunkGridWidth = BuildGrids(central, layout);
    BuildStatusLine(central, layout);

    setTabOrder(txtPatches_, cbSearch_);
    setTabOrder(cbSearch_, cbAnalize_);
    setTabOrder(cbAnalize_, dbgChunk_);
    setTabOrder(dbgChunk_, dbgValues_);
    AddGoToPathKey();

    setCentralWidget(central);
    resize(Pixels(kClientWidthTwips) + chunkGridWidth - Pixels(kChunkGridWidthTwips),
           Pixels(kClientHeightTwips));
    ConnectControls();
}

int frmMain::Pixels(int twips) const {
    const double scale = std::max(1.0, fontMetrics().height() / kDesignFontHeight);
    return static_cast<int>(twips / kTwipsPerPixel * scale);
}

void frmMain::BuildPathStrip(QWidget* central, QVBoxLayout* layout) {
    auto* panel = new QGroupBox(QStringLiteral(" WAV file"), central);
    panel->setObjectName(QStringLiteral("SSPanel4"));
    auto* strip = new QHBoxLayout(panel);
    txtPatches_ = new QLineEdit(panel);
    txtPatches_->setObjectName(QStringLiteral("txtPatches"));
    // Files dropped on the path box are handled by the window, like any drop.
    txtPatches_->setAcceptDrops(false);
    txtPatches_->setAccessibleName(QStringLiteral("WAV file path"));
    txtPatches_->setAccessibleDescription(
        QStringLiteral("Path of the WAV file to analyse. Return analyses it; %1 comes back here.")
            .arg(kGoToPathKey.toString(QKeySequence::NativeText)));
    cbSearch_ = new QPushButton(QStringLiteral("Search"), panel);
    cbSearch_->setObjectName(QStringLiteral("cbSearch"));
    // The button owns the Open key, so the key presses it visibly, takes the
    // focus the same way, and screen readers announce the key with the button.
    cbSearch_->setShortcut(QKeySequence::Open);
    const QString searchHint =
        QStringLiteral("Pick a WAV file (%1)").arg(cbSearch_->shortcut().toString(QKeySequence::NativeText));
    cbSearch_->setToolTip(searchHint);
    cbSearch_->setAccessibleName(QStringLiteral("Search"));
    cbSearch_->setAccessibleDescription(searchHint);
    cbAnalize_ = new QPushButton(QStringLiteral("Analyse"), panel);
    cbAnalize_->setObjectName(QStringLiteral("cbAnalize"));
    cbAnalize_->setToolTip(QStringLiteral("Analyse selected WAV file"));
    cbAnalize_->setAccessibleName(QStringLiteral("Analyse"));
    cbAnalize_->setAccessibleDescription(QStringLiteral("Analyse selected WAV file"));
    // Return and Enter press a focused button, as they do in a dialog; a
    // QMainWindow leaves them to Space otherwise.
    for (QPushButton* button : {cbSearch_, cbAnalize_}) button->setAutoDefault(true);
    strip->addWidget(txtPatches_, 1);
    strip->addWidget(cbSearch_);
    strip->addWidget(cbAnalize_);
    layout->addWidget(panel);
}

int frmMain::BuildGrids(QWidget* central, QVBoxLayout* layout) {
    auto* grids = new QSplitter(Qt::Horizontal, central);
    grids->setChildrenCollapsible(false);
    chunkRows_ = new RowTableModel(QStringLiteral("Chunk Name"), QStringLiteral("Chunk Size"), this);
    dbgChunk_ = new RowTableView(grids);
    dbgChunk_->setObjectName(QStringLiteral("dbgChunk"));
    dbgChunk_->setModel(chunkRows_);
    dbgChunk_->setAccessibleName(QStringLiteral("Chunks"));
    dbgChunk_->setAccessibleDescription(
        QStringLiteral("The chunks of the file with their sizes; select one to see its fields"));
    valueRows_ = new RowTableModel(QStringLiteral("Parameter"), QStringLiteral("Value"), this);
    dbgValues_ = new RowTableView(grids);
    dbgValues_->setObjectName(QStringLiteral("dbgValues"));
    dbgValues_->setModel(valueRows_);
    // Rows made as they are scrolled to may find the file changed since.
    connect(valueRows_, &RowTableModel::RowsStopped, this, [this](const QString& sentence) {
        ShowStatus(FileChanged() ? ChangedSinceAnalyse() : sentence.toStdString());
    });
    dbgValues_->setAccessibleName(QStringLiteral("Chunk fields"));
    dbgValues_->setAccessibleDescription(QStringLiteral("The fields of the selected chunk and their values"));
    grids->addWidget(dbgChunk_);
    grids->addWidget(dbgValues_);
    grids->setStretchFactor(0, kChunkGridWidthTwips);
    grids->setStretchFactor(1, kValueGridWidthTwips);
    // Wide enough for both column titles of the chunk grid whatever the font.
    const QHeaderView* titles = dbgChunk_->horizontalHeader();
    const int chunkGridWidth =
        std::max(Pixels(kChunkGridWidthTwips), titles->sectionSizeHint(0) + titles->sectionSizeHint(1) +
                                                   dbgChunk_->verticalScrollBar()->sizeHint().width() +
                                                   2 * dbgChunk_->frameWidth());
    grids->setSizes({chunkGridWidth, Pixels(kValueGridWidthTwips)});
    layout->addWidget(grids, 1);
    return chunkGridWidth;
}

void frmMain::BuildStatusLine(QWidget* central, QVBoxLayout* layout) {
    lbStatus_ = new ElidedLabel(central);
    lbStatus_->setObjectName(QStringLiteral("lbStatus"));
    lbStatus_->setTextFormat(Qt::PlainText);
    // A fixed name, so the line is found even while empty; what it says is its
    // description, kept in step by ShowStatus.
    lbStatus_->setAccessibleName(QStringLiteral("Status"));
    lbFindings_ = new FocusFrameLabel(central);
    lbFindings_->setObjectName(QStringLiteral("lbFindings"));
    lbFindings_->setTextFormat(Qt::PlainText);
    lbFindings_->setAccessibleName(QStringLiteral("Findings"));
    lbFindings_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    // Both open the structure window; the findings label takes the focus once
    // it says something (SummariseFile).
    lbFindings_->installEventFilter(this);
    lbStatus_->installEventFilter(this);
    auto* statusLine = new QHBoxLayout;
    statusLine->addWidget(lbStatus_, 1);
    statusLine->addWidget(lbFindings_);
    layout->addLayout(statusLine);
}

void frmMain::AddGoToPathKey() {
    auto* goToPath = new QShortcut(kGoToPathKey, this);
    connect(goToPath, &QShortcut::activated, this, [this] {
        txtPatches_->setFocus(Qt::ShortcutFocusReason);
        txtPatches_->selectAll();
    });
}

void frmMain::ConnectControls() {
    connect(txtPatches_, &QLineEdit::textChanged, this, &frmMain::txtPatchesChange);
    connect(txtPatches_, &QLineEdit::returnPressed, this, &frmMain::txtPatchesReturn);
    connect(cbSearch_, &QPushButton::clicked, this, &frmMain::cbSearchClick);
    connect(cbAnalize_, &QPushButton::clicked, this, &frmMain::cbAnalizeClick);
    connect(dbgChunk_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmMain::dbgChunkSelectionChanged);
}

void frmMain::BuildMenus() {
    // '&' marks the mnemonic: Alt+F and Alt+H open the menus, the underlined
    // letter then picks an item. The words shown stay plain.
    QMenu* mFile = menuBar()->addMenu(QStringLiteral("&File"));
    mFile->setObjectName(QStringLiteral("mFile"));
    QAction* mExit = mFile->addAction(QStringLiteral("E&xit"));
    mExit->setObjectName(QStringLiteral("mExit"));
    mExit->setShortcuts(StandardKeys(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)));
    connect(mExit, &QAction::triggered, this, &QWidget::close);

    QMenu* mView = menuBar()->addMenu(QStringLiteral("&View"));
    mView->setObjectName(QStringLiteral("mView"));
    QAction* mStructure = mView->addAction(QStringLiteral("&Structure\u2026"));
    mStructure->setObjectName(QStringLiteral("mStructure"));
    mStructure->setShortcut(kStructureKey);
    connect(mStructure, &QAction::triggered, this, &frmMain::mStructureClick);
    // As Analyse: nothing to show while the path box is blank.
    mStructure->setEnabled(ModPrg::FileState > 0);

    QMenu* mAbHlp = menuBar()->addMenu(QStringLiteral("&Help"));
    mAbHlp->setObjectName(QStringLiteral("mAbHlp"));
    QAction* mHelp = mAbHlp->addAction(QStringLiteral("&Help"));
    mHelp->setObjectName(QStringLiteral("mHelp"));
    mHelp->setShortcuts(StandardKeys(QKeySequence::HelpContents, QKeySequence(Qt::Key_F1)));
    mAbHlp->addSeparator()->setObjectName(QStringLiteral("mEmpty"));
    QAction* mAbout = mAbHlp->addAction(QStringLiteral("&About"));
    mAbout->setObjectName(QStringLiteral("mAbout"));
    connect(mHelp, &QAction::triggered, this, &frmMain::mHelpClick);
    connect(mAbout, &QAction::triggered, this, &frmMain::mAboutClick);
}

void frmMain::txtPatchesChange() {
    // Only spaces count as blank, as the path box has always trimmed them.
    const QString text = txtPatches_->text();
    const bool blank = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == QLatin1Char(' '); });
    ModPrg::FileState = blank ? 0 : 1;
    UpdateAnalyseButton();
}

void frmMain::txtPatchesReturn() {
    if (cbAnalize_->isEnabled()) cbAnalize_->click();
}

void frmMain::UpdateAnalyseButton() {
    cbAnalize_->setEnabled(ModPrg::FileState > 0);
    if (auto* structure = findChild<QAction*>(QStringLiteral("mStructure"))) {
        structure->setEnabled(ModPrg::FileState > 0);
    }
}

void frmMain::cbSearchClick() {
    const std::optional<QString> chosen = prompts_->ChooseFile(
        this, QFile::decodeName(QByteArray::fromStdString(ModPrg::LastChosenPath)), kWavFilter);
    // A cancelled or failed dialog leaves the path and the state as they were.
    if (chosen) TakeChosenPath(*chosen);
    UpdateAnalyseButtonAndFocus();
}

void frmMain::TakeChosenPath(const QString& path) {
    ModPrg::LastChosenPath = QFile::encodeName(path).toStdString();
    txtPatches_->setText(path);
    ModPrg::FileState = 1;
}

void frmMain::UpdateAnalyseButtonAndFocus() {
    UpdateAnalyseButton();
    if (cbAnalize_->isEnabled()) {
        cbAnalize_->setFocus();
    } else {
        txtPatches_->setFocus();
    }
}

void frmMain::cbAnalizeClick() {
    // The path goes to Analyse exactly as typed: surrounding spaces are part of it.
    const std::string path = QFile::encodeName(txtPatches_->text()).toStdString();
    // report::Analyse loads and checks the file in one call, then the window
    // lists what it read. Load and the check report their own lack of
    // memory; running short anywhere else must not end the program either.
    try {
        report::AnalyseOptions options;
        options.forms = wavedoc::LoadForms::Riff;  // the chunk list shows RIFF files alone
        report::Analysis analysis;
        {
            BusyCursor busy;
            analysis = report::Analyse(path, options);
        }
        AnalyseResult(std::move(analysis));
    } catch (const std::bad_alloc&) {
        lbStatus_->setText(tr("There is not enough memory to list the chunks of this file."));
    }
}

void frmMain::AnalyseResult(report::Analysis analysis) {
    switch (analysis.status) {
        case wavedoc::LoadOk: {
            BusyCursor busy;
            // The rows shown may still read the document they came from.
            valueRows_->SetRows({});
            analysis_ = std::move(analysis);
            ListChunks();
            SummariseFile();
            dbgChunk_->FitFirstColumn();
            dbgValues_->FitFirstColumn();
            ShowStatus(std::nullopt);
            ModPrg::FileState = 2;
            UpdateAnalyseButton();
            break;
        }
        // A refused file leaves the last analysis in place; the reason under
        // the message names the file and what is wrong with it.
        case wavedoc::LoadNotRiff:
        case wavedoc::LoadNotWave:
        case wavedoc::LoadUnreadable: {
            const report::RefusalMessage message = report::RefusalFor(analysis.status, analysis.error);
            prompts_->ShowMessage(this, kMessageTitle, TextFromBytes(message.text),
                                  TextFromBytes(message.details));
            break;
        }
        default:
            break;
    }
}

void frmMain::ListChunks() {
    GridRows chunks;
    GridRows values;
    rows::FillChunkList(*analysis_.document, chunks, values);
    std::vector<QString> offsets;
    for (const wavedoc::ChunkBase* chunk : rows::ListedChunks(*analysis_.document)) {
        offsets.push_back(tr("The %1 chunk starts at offset %2 of the file.")
                              .arg(TextFromBytes(chunk->Name()).trimmed())
                              .arg(chunk->Offset()));
    }
    chunkRows_->SetRows(std::move(chunks), std::move(offsets));
    valueRows_->SetRows(std::move(values));
}

void frmMain::SummariseFile() {
    alsoInFile_ = report::AlsoInFileSentence(report::AlsoInFile(analysis_.document->Structure()));
    const wavecheck::Findings& findings = *analysis_.findings;
    // Errors, where content is lost, stand in the status line too.
    lostContent_ = report::LostContent(findings);
    lbFindings_->setText(QString::fromStdString(report::FindingsSentence(findings)));
    QStringList lines;
    for (const std::string& line : report::FindingLines(findings, kFindingLines))
        lines << TextFromBytes(line);
    lbFindings_->setToolTip(lines.join(QLatin1Char('\n')));
    lbFindings_->setAccessibleDescription(lines.join(QLatin1Char(' ')));
    lbFindings_->setFocusPolicy(Qt::StrongFocus);
}

namespace {

// A list of another type than adtl shows only its type in the grid: where
// its items are shown instead. None for an adtl list or a list too short to
// hold a type.
std::optional<std::string> ItemsElsewhere(const wavedoc::WaveDocument& document) {
    std::string type;
    try {
        type = document.List().TypeId();
    } catch (const wavedoc::WaveDocError&) {
        return std::nullopt;
    }
    if (type == "adtl") return std::nullopt;
    return "The items of this LIST (" + type +
           ") are shown in View > Structure\u2026 (Ctrl+M); this grid lists those of an adtl list.";
}

}  // namespace

bool frmMain::FileChanged() const {
    if (!analysis_.document) return false;
    try {
        const wavedoc::ReadingSession reading(analysis_.document->Source());
    } catch (const wavedoc::FileChangedError&) {
        return true;
    }
    return false;
}

std::string frmMain::ChangedSinceAnalyse() const {
    return "Press Analyse to read it again: the file \"" + analysis_.path +
           "\" has changed since it was analysed. The fields shown were read at Analyse.";
}

void frmMain::dbgChunkSelectionChanged(const QItemSelection& selected) {
    if (selected.isEmpty()) return;
    const int row = selected.indexes().first().row();
    std::optional<std::string> stop;
    try {
        // The rows held for the previous chunk go first, so that two long
        // lists are never held at once.
        valueRows_->SetRows({});
        GridRows values;
        // A file changed since Analyse still shows the fields read then; the
        // status line puts first what to do about it.
        const bool changed = FileChanged();
        stop = rows::ShowChunkDetails(*analysis_.document, chunkRows_->RawCell(row, 0), values);
        if (changed) stop = ChangedSinceAnalyse();
        if (!stop && wavedoc::layout::IsListId(chunkRows_->RawCell(row, 0))) {
            stop = ItemsElsewhere(*analysis_.document);
        }
        valueRows_->SetRows(std::move(values));
    } catch (const std::bad_alloc&) {
        // The rows could not be held: show none rather than end the program.
        valueRows_->SetRows({});
        stop =
            "The " + chunkRows_->RawCell(row, 0) + " chunk could not be shown: there is not enough memory.";
    }
    dbgValues_->FitFirstColumn();
    ShowStatus(stop);
}

void frmMain::ShowStatus(const std::optional<std::string>& stop) {
    QStringList sentences;
    const auto add = [&](const std::string& sentence) {
        sentences << QString::fromStdString(
            report::ShortenQuotedNames(text::DisplayUtf8(sentence), kMostQuotedBytes));
    };
    for (const std::string& error : lostContent_) add(error);
    for (const std::string& note : analysis_.document->LoadNotes()) add(note);
    if (stop) add(*stop);
    if (!alsoInFile_.empty()) add(alsoInFile_);
    // The tool tip names every type the line leaves out, up to a bound that
    // no real file reaches.
    QStringList tip = sentences;
    if (!alsoInFile_.empty()) {
        constexpr std::size_t kMostTypesNamed = 256;
        const std::vector<std::string> types = report::AlsoInFile(analysis_.document->Structure());
        std::string all = "Also in the file: ";
        for (std::size_t i = 0; i < types.size() && i < kMostTypesNamed; ++i)
            all += (i == 0 ? "" : ", ") + types[i];
        if (types.size() > kMostTypesNamed)
            all += " and " + std::to_string(types.size() - kMostTypesNamed) + " more";
        tip.last() = QString::fromStdString(
            report::ShortenQuotedNames(text::DisplayUtf8(all + "."), kMostQuotedBytes));
    }
    // The line, one line however much it holds, shows the first few
    // sentences; its tool tip lists more of them.
    QStringList shown = sentences.mid(0, kStatusSentences);
    if (sentences.size() > kStatusSentences) {
        shown << tr("(%n more; the tool tip lists them.)", nullptr, int(sentences.size() - kStatusSentences));
    }
    lbStatus_->setText(shown.join(QLatin1Char(' ')));
    QStringList listed = tip.mid(0, kStatusToolTipSentences);
    if (tip.size() > kStatusToolTipSentences) {
        listed << tr("... and %n more.", nullptr, int(tip.size() - kStatusToolTipSentences));
    }
    lbStatus_->setToolTip(
        sentences.isEmpty() ? QString() : RowTableModel::WrappedToolTip(listed.join(QLatin1Char('\n'))));
    lbStatus_->setAccessibleDescription(listed.join(QLatin1Char(' ')));
}

void frmMain::mHelpClick() { ShowModalWindow(helpWindow_, this); }

void frmMain::mAboutClick() { ShowModalWindow(aboutWindow_, this); }

void frmMain::mStructureClick() { OpenStructure(QFile::encodeName(txtPatches_->text()).toStdString()); }

void frmMain::OpenStructure(const std::string& path) {
    for (frmStructure* open : findChildren<frmStructure*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (open->Path() == path) {
            open->show();
            open->raise();
            open->activateWindow();
            return;
        }
    }
    report::Analysis analysis;
    {
        BusyCursor busy;
        analysis = AnalysisToShow(path, analysis_);
    }
    if (!analysis.Loaded()) {
        const report::RefusalMessage message = report::RefusalFor(analysis.status, analysis.error);
        prompts_->ShowMessage(this, kMessageTitle, TextFromBytes(message.text),
                              TextFromBytes(message.details));
        return;
    }
    auto* window = new frmStructure(std::move(analysis), *prompts_, this);
    // Once the drop is over, so that a message never opens during the drag.
    connect(
        window, &frmStructure::FileDropped, this,
        [this](const QString& dropped) { OpenStructure(QFile::encodeName(dropped).toStdString()); },
        Qt::QueuedConnection);
    connect(window, &frmStructure::CopyToOpen, this,
            [this](const QString& copy) { OpenStructure(QFile::encodeName(copy).toStdString()); });
    window->show();
    window->raise();
    window->activateWindow();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    const auto opens = [&]() {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* click = static_cast<QMouseEvent*>(event);
            if (click->button() != Qt::LeftButton) return false;
            if (watched == lbFindings_) return !lbFindings_->text().isEmpty();
            // Only the "Also in the file" sentence of the status line, which
            // comes last, leads there.
            const QString line = OnOneLine(lbStatus_->text());
            const qsizetype at = line.indexOf(QStringLiteral("Also in the file:"));
            if (at < 0) return false;
            const int from =
                lbStatus_->contentsRect().left() + lbStatus_->fontMetrics().horizontalAdvance(line.left(at));
            return click->position().x() >= from;
        }
        if (event->type() == QEvent::KeyPress && watched == lbFindings_) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
        }
        return false;
    };
    if ((watched == lbFindings_ || watched == lbStatus_) && opens()) {
        mStructureClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedFilePath(event->mimeData())) event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
    const std::optional<QString> path = DroppedFilePath(event->mimeData());
    if (!path) return;
    event->acceptProposedAction();
    TakeChosenPath(*path);
    UpdateAnalyseButtonAndFocus();
    // Analyse once the drop has finished, so a message box never opens while
    // the drag is still in progress.
    if (cbAnalize_->isEnabled())
        QMetaObject::invokeMethod(cbAnalize_, &QPushButton::click, Qt::QueuedConnection);
}
