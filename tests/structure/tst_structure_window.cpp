#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeView>
#include <memory>

#include "app/modprg/modprg.h"
#include "structure_test_files.h"
#include "support/fake_prompts.h"
#include "support/grid_rows.h"
#include "support/scratch_dir.h"
#include "support/wav_builder.h"
#include "ui/main/frm_main.h"
#include "ui/sound/sound_view.h"
#include "ui/sound/waveform_canvas.h"
#include "ui/structure/byte_lines_model.h"
#include "ui/structure/frm_structure.h"

using namespace wavtest;
using structuretest::kFmt;
using structuretest::MixedFile;

namespace {

const std::string kData = Chunk("data", std::string(4, '\0'));

}  // namespace

class StructureWindowTest : public QObject {
    Q_OBJECT

    ScratchDir scratch_;
    std::unique_ptr<frmMain> window_;
    FakePrompts* prompts_ = nullptr;

    template <typename T = QWidget>
    T* Find(const QWidget* in, const QString& name) const {
        T* found = in->findChild<T*>(name);
        if (found == nullptr) qFatal("no control named %s", qPrintable(name));
        return found;
    }
    QString Write(const std::string& name, const std::string& bytes) const {
        return QString::fromStdString(scratch_.File(name, bytes));
    }
    QList<frmStructure*> StructureWindows() const { return window_->findChildren<frmStructure*>(); }
    void Key(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QTest::keyClick(window->windowHandle(), key, modifiers);
    }
    QString FocusName() const {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    void Analyse(const QString& path) {
        Find<QLineEdit>(window_.get(), "txtPatches")->setText(path);
        Find<QPushButton>(window_.get(), "cbAnalize")->click();
    }
    // Makes `window` the one the keyboard reaches, as a click on it would.
    static bool Activate(QWidget* window) {
        window->activateWindow();
        return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
    }
    // Ctrl+M in the main window with `path` in the path box; the window it opens.
    frmStructure* Open(const QString& path) {
        Find<QLineEdit>(window_.get(), "txtPatches")->setText(path);
        if (!Activate(window_.get())) return nullptr;
        Key(window_.get(), Qt::Key_M, Qt::ControlModifier);
        const QList<frmStructure*> open = StructureWindows();
        if (open.isEmpty() || !Activate(open.last())) return nullptr;
        return open.last();
    }
    // The offset and chunk of the tree's current entry.
    static QString CurrentEntry(frmStructure* structure) {
        const QModelIndex current = structure->findChild<QTreeView*>("tvStructure")->currentIndex();
        return current.siblingAtColumn(0).data().toString() + ' ' +
               current.siblingAtColumn(1).data().toString();
    }
    static QString ByteSelection(frmStructure* structure) {
        return structure->findChild<QLabel*>("lbByteSelection")->text();
    }

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() {
        ModPrg::FileState = 0;
        auto prompts = std::make_unique<FakePrompts>();
        prompts_ = prompts.get();
        window_ = std::make_unique<frmMain>(std::move(prompts));
        window_->show();
    }
    void cleanup() {
        QVERIFY2(QApplication::overrideCursor() == nullptr, "busy cursor left on");
        window_.reset();
    }

    // Ctrl+M opens one window per file, without touching the main window's
    // state; a file not analysed is loaded for it, a refused one says why.
    void ctrlMOpensOneWindowPerFile() {
        const QString mixed = Write("mixed.wav", MixedFile());
        Analyse(mixed);
        QCOMPARE(ModPrg::FileState, 2);
        frmStructure* structure = Open(mixed);
        QVERIFY(structure != nullptr);
        QCOMPARE(structure->objectName(), QStringLiteral("frmStructure"));
        QCOMPARE(structure->windowTitle(), QStringLiteral("Structure of mixed.wav - Ondulo"));
        QCOMPARE(FocusName(), QStringLiteral("tvStructure"));
        QCOMPARE(CurrentEntry(structure), QStringLiteral("0 RIFF"));
        QCOMPARE(GridRows(*structure, "dbgStructureRows"), QStringList{"RIFF Type\tWAVE"});
        QCOMPARE(Find<QLabel>(structure, "lbFindingSummary")->text(),
                 QStringLiteral("3 findings: 2 errors, 1 warning."));
        QCOMPARE(Open(mixed), structure);  // raised, not opened twice
        QCOMPARE(StructureWindows().size(), 1);

        const QString other = Write("other.wav", RiffFile(kFmt + kData));
        frmStructure* second = Open(other);
        QVERIFY(second != nullptr && second != structure);
        QCOMPARE(StructureWindows().size(), 2);
        QCOMPARE(ModPrg::FileState, 1);  // the path box changed; nothing else did
        QCOMPARE(GridRows(*window_, "dbgChunk").size(), 4);

        QCOMPARE(Open(Write("text.wav", "hello, world")), second);  // the last one opened, still
        QCOMPARE(StructureWindows().size(), 2);
        QCOMPARE(prompts_->messages.size(), 1);
        QVERIFY2(prompts_->messages[0].startsWith("Ondulo: Not a wav file (RIFF tag) / ") &&
                     prompts_->messages[0].contains("text.wav"),
                 qPrintable(prompts_->messages[0]));

        const QPointer<frmStructure> closing = second;
        QVERIFY(Activate(second));
        Key(second, Qt::Key_Escape);
        QTRY_VERIFY(closing.isNull());
        const QPointer<frmStructure> first = structure;
        QVERIFY(Activate(first));
        Key(first, Qt::Key_W, Qt::ControlModifier);
        QTRY_VERIFY(first.isNull());
    }

    // The findings label and "Also in the file" open it too, by mouse and
    // from the keyboard.
    void labelsOfTheMainWindowOpenIt() {
        Analyse(Write("junk.wav", RiffFile(kFmt + Chunk("JUNK", "ab") + kData)));
        auto* status = Find<QLabel>(window_.get(), "lbStatus");
        QCOMPARE(status->text(), QStringLiteral("Also in the file: JUNK."));
        QTest::mouseClick(status, Qt::LeftButton, {},
                          QPoint(status->contentsRect().left() + 2, status->height() / 2));
        QTRY_COMPARE(StructureWindows().size(), 1);
        StructureWindows().first()->close();
        QTRY_COMPARE(StructureWindows().size(), 0);

        auto* findings = Find<QLabel>(window_.get(), "lbFindings");
        QTest::mouseClick(findings, Qt::LeftButton);
        QTRY_COMPARE(StructureWindows().size(), 1);
        StructureWindows().first()->close();
        QTRY_COMPARE(StructureWindows().size(), 0);

        QVERIFY(Activate(window_.get()));
        findings->setFocus(Qt::TabFocusReason);
        QCOMPARE(FocusName(), QStringLiteral("lbFindings"));
        Key(window_.get(), Qt::Key_Return);
        QTRY_COMPARE(StructureWindows().size(), 1);
    }

    void tabWalksThePanes() {
        frmStructure* structure = Open(Write("mixed.wav", MixedFile()));
        QVERIFY(structure != nullptr);
        Key(structure, Qt::Key_Down);
        QCOMPARE(CurrentEntry(structure), QStringLiteral("12 fmt "));
        QCOMPARE(GridRows(*structure, "dbgStructureRows").size(), 6);  // as the chunk grid shows it
        // Once the sound is measured, its Cancel button is gone from the walk.
        QTRY_VERIFY(!Find<QPushButton>(structure, "btCancelSound")->isVisible());
        for (const char* next : {"dbgStructureRows", "tvBytes", "tvFindings", "cvWaveform", "tvStructure"}) {
            Key(structure, Qt::Key_Tab);
            QCOMPARE(FocusName(), QString(next));
        }
        for (const char* previous :
             {"cvWaveform", "tvFindings", "tvBytes", "dbgStructureRows", "tvStructure"}) {
            Key(structure, Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(FocusName(), QString(previous));
        }
        for (const char* name : {"tvStructure", "dbgStructureRows", "tvBytes", "tvFindings", "cvWaveform"}) {
            QWidget* view = Find(structure, name);
            QVERIFY2(!view->accessibleName().isEmpty() && !view->accessibleDescription().isEmpty(), name);
        }
    }

    // Ctrl+G in a 4 GB file that takes no room: the data chunk and the byte
    // there are selected at once; bad offsets say what is wrong.
    void goToAnOffsetOfA4GbFile() {
        constexpr std::uint32_t kDataSize = 0xFFFFFFD0;
        const std::string head = RiffFile(kFmt + "data" + U32(kDataSize), "WAVE", 36 + kDataSize);
        const QString path = Write("big.wav", head);
        QVERIFY(::truncate(path.toLocal8Bit().constData(), off_t(head.size()) + kDataSize) == 0);
        frmStructure* structure = Open(path);
        QVERIFY(structure != nullptr);

        prompts_->nextAnswer = QStringLiteral("0xC0000000");
        Key(structure, Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(CurrentEntry(structure), QStringLiteral("36 data"));
        QCOMPARE(ByteSelection(structure),
                 QStringLiteral("Selected: 1 byte at offset 3221225472 (0xC0000000)."));
        auto* bytes = Find<QTableView>(structure, "tvBytes");
        // A window of the entry's 268 million lines holds the byte.
        QCOMPARE(bytes->model()->rowCount(), ByteLinesModel::kMostLines);
        QCOMPARE(bytes->currentIndex().siblingAtColumn(0).data().toString(),
                 QString::number(36 + (0xC0000000ULL - 36) / 16 * 16));
        QCOMPARE(bytes->currentIndex().data().toString(), QStringLiteral("00"));
        QCOMPARE(FocusName(), QStringLiteral("tvBytes"));
        Key(structure, Qt::Key_End, Qt::ControlModifier);  // the last line is as near
        QCOMPARE(bytes->currentIndex().row(), bytes->model()->rowCount() - 1);
        QCOMPARE(ByteSelection(structure),
                 QStringLiteral("Selected: 1 byte at offset 4294967291 (0xFFFFFFFB)."));
        Key(structure, Qt::Key_Down);  // nothing follows
        QCOMPARE(ByteSelection(structure),
                 QStringLiteral("Selected: 1 byte at offset 4294967291 (0xFFFFFFFB)."));
        Key(structure, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(ByteSelection(structure), QStringLiteral("Selected: 1 byte at offset 36 (0x24)."));
        Key(structure, Qt::Key_Up);
        QCOMPARE(ByteSelection(structure), QStringLiteral("Selected: 1 byte at offset 36 (0x24)."));

        prompts_->nextAnswer = QStringLiteral("12 bytes");
        Key(structure, Qt::Key_G, Qt::ControlModifier);
        prompts_->nextAnswer = QStringLiteral("5000000000");
        Key(structure, Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(prompts_->messages.size(), 2);
        QVERIFY2(prompts_->messages[0].contains("is not an offset"), qPrintable(prompts_->messages[0]));
        QVERIFY2(prompts_->messages[1].contains("past the end of the file, which holds 4,294,967,292 bytes"),
                 qPrintable(prompts_->messages[1]));
        QCOMPARE(CurrentEntry(structure), QStringLiteral("36 data"));
    }

    // A finding selects the deepest entry holding it and its first byte; the
    // findings and the bytes copy as a user reads them.
    void findingLeadsToItsEntryAndByte() {
        frmStructure* structure = Open(Write("mixed.wav", MixedFile()));
        QVERIFY(structure != nullptr);
        auto* findings = Find<QTableView>(structure, "tvFindings");
        int padMissing = -1;
        for (int row = 0; row < findings->model()->rowCount(); ++row) {
            if (findings->model()->index(row, 3).data().toString() == "pad-missing") padMissing = row;
        }
        QVERIFY(padMissing >= 0);
        findings->setFocus(Qt::TabFocusReason);  // selects the first finding
        for (int row = 0; row < padMissing; ++row) Key(structure, Qt::Key_Down);
        QCOMPARE(CurrentEntry(structure), QStringLiteral("130 JUNK"));
        QCOMPARE(ByteSelection(structure), QStringLiteral("Selected: 1 byte at offset 130 (0x82)."));
        Key(structure, Qt::Key_C, Qt::ControlModifier);
        QVERIFY2(
            QApplication::clipboard()->text().startsWith("error\t130\tJUNK\tpad-missing\tThe \"JUNK\" chunk"),
            qPrintable(QApplication::clipboard()->text()));

        // Its bytes: "JUNK", the size 3 and "abc", no pad byte.
        auto* bytes = Find<QTableView>(structure, "tvBytes");
        bytes->setFocus(Qt::TabFocusReason);
        Key(structure, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(ByteSelection(structure),
                 QStringLiteral("Selected: 11 bytes from offset 130 (0x82) to 140 (0x8C)."));
        Key(structure, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("4A 55 4E 4B 03 00 00 00 61 62 63"));
        QCOMPARE(ByteSelection(structure), QStringLiteral("Copied 11 bytes as hex."));
        Key(structure, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("JUNK....abc"));
    }

    // The sound view measures in the background and shows the figures; a
    // click on a marker selects its record's entry and bytes; the keys zoom.
    void soundViewMeasuresAndLeadsToMarkers() {
        // 1 s of 16-bit mono at 48 kHz, full scale at frame 100, silence
        // elsewhere; a cue point at frame 24000 and a loop over its second half.
        std::string samples(96000, '\0');
        samples[200] = '\xFF';
        samples[201] = '\x7F';
        const std::string head = Chunk("fmt ", PcmFormat(1, 48000, 16)) + Chunk("data", samples);
        const std::string cue = Chunk("cue ", CuePayload({{1, 0, "data", 0, 0, 24000}}));
        const std::string smpl = Chunk("smpl", SmplPayload({}, {{0, 0, 24000, 47999}}));
        frmStructure* structure = Open(Write("sound.wav", RiffFile(head + cue + smpl)));
        QVERIFY(structure != nullptr);
        auto* view = Find<SoundView>(structure, "soundView");
        QVERIFY(
            QTest::qWaitFor([view] { return !view->Measuring() && view->Figures().contains("Channel 1"); }));
        QVERIFY2(view->Figures().contains("Channel 1: peak -0.00 dBFS at frame 100, 1 clipped"),
                 qPrintable(view->Figures()));
        QVERIFY2(view->Figures().contains("Integrated: -"), qPrintable(view->Figures()));

        WaveformCanvas* canvas = view->Canvas();
        const std::uint64_t cueAt = 12 + head.size();
        const int x = canvas->width() / 2;
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(x, canvas->height() / 2));
        QCOMPARE(CurrentEntry(structure), QString::number(cueAt) + " cue ");
        QCOMPARE(ByteSelection(structure), QStringLiteral("Selected: 1 byte at offset %1 (0x%2).")
                                               .arg(cueAt + 12)
                                               .arg(QString::number(cueAt + 12, 16).toUpper()));
        // The loop's bracket lies in the row under the channels.
        const sound::Marker* loop = canvas->MarkerAt(QPoint(x + canvas->width() / 4, canvas->height() - 20));
        QVERIFY(loop != nullptr);
        QCOMPARE(QString::fromStdString(loop->label), QStringLiteral("Loop 1: Forward"));

        canvas->setFocus(Qt::OtherFocusReason);
        Key(structure, Qt::Key_Plus);
        QVERIFY(canvas->ViewFrames() < 48000);
        Key(structure, Qt::Key_0);
        QCOMPARE(canvas->ViewFrames(), std::uint64_t{48000});
        // Ctrl+U hides the view and shows it again.
        Key(structure, Qt::Key_U, Qt::ControlModifier);
        QVERIFY(!view->isVisible());
        Key(structure, Qt::Key_U, Qt::ControlModifier);
        QVERIFY(view->isVisible());
    }

    // Lists nested as deep as the map goes still show their offsets in full.
    void offsetsOfDeepListsShowInFull() {
        std::string lists = Chunk("labl", LabelPayload(1, std::string(100000, 'x')));
        for (int depth = 0; depth < 12; ++depth) lists = Chunk("LIST", ListPayload("adtl", lists));
        frmStructure* structure = Open(Write("deep.wav", RiffFile(kFmt + lists + kData)));
        QVERIFY(structure != nullptr);
        auto* tree = Find<QTreeView>(structure, "tvStructure");
        QModelIndex deepest = tree->model()->index(2, 0);  // the outer list
        while (tree->model()->rowCount(deepest) > 0) deepest = tree->model()->index(0, 0, deepest);
        QCOMPARE(deepest.data().toString(), QStringLiteral("120"));
        const QModelIndex last = tree->model()->index(3, 0);  // the data chunk, past offset 100,000
        for (const QModelIndex& item : {deepest, last}) {
            QVERIFY2(tree->visualRect(item).width() >=
                         tree->fontMetrics().horizontalAdvance(item.data().toString()),
                     qPrintable(item.data().toString()));
        }
    }

    // Shift with the arrows and a drag select the bytes from where they start
    // to where they end, across lines, as shown, counted and copied alike.
    void bytesSelectedAcrossLinesAreARun() {
        frmStructure* structure = Open(Write("mixed.wav", MixedFile()));
        QVERIFY(structure != nullptr);
        QVERIFY(structure->GoToOffset(60));  // the adtl list: 44 bytes, three lines
        auto* bytes = Find<QTableView>(structure, "tvBytes");
        bytes->setFocus(Qt::TabFocusReason);
        const auto cell = [bytes](int row, int column) { return bytes->model()->index(row, column); };
        bytes->selectionModel()->setCurrentIndex(cell(0, 11), QItemSelectionModel::ClearAndSelect);
        Key(structure, Qt::Key_Down, Qt::ShiftModifier);
        Key(structure, Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(ByteSelection(structure),
                 QStringLiteral("Selected: 16 bytes from offset 70 (0x46) to 85 (0x55)."));
        QCOMPARE(bytes->selectionModel()->selectedIndexes().size(), 16);
        Key(structure, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("tllabl........In"));

        const QPoint from = bytes->visualRect(cell(2, 4)).center();
        const QPoint to = bytes->visualRect(cell(0, 11)).center();
        QTest::mousePress(bytes->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(bytes->viewport(), to);
        QTest::mouseRelease(bytes->viewport(), Qt::LeftButton, {}, to);
        QCOMPARE(ByteSelection(structure),
                 QStringLiteral("Selected: 26 bytes from offset 70 (0x46) to 95 (0x5F)."));
        QCOMPARE(bytes->selectionModel()->selectedIndexes().size(), 26);
    }

    void saveReportWritesWhatOnduloDumpWrites() {
        const QString path = Write("mixed.wav", MixedFile());
        frmStructure* structure = Open(path);
        QVERIFY(structure != nullptr);
        prompts_->nextSaveChoice = QString::fromStdString(scratch_.Path("mixed.json"));
        Key(structure, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompts_->saveDialogs, 1);
        QCOMPARE(prompts_->saveStartPaths.first(), QString::fromStdString(scratch_.Path("mixed.txt")));
        const std::string saved = ReadBytes(scratch_.Path("mixed.json"));
        QVERIFY2(saved.rfind("{\"files\": [", 0) == 0 && saved.find("\"past-end\"") != std::string::npos,
                 saved.c_str());

        prompts_->nextSaveChoice = QString::fromStdString(scratch_.Path("no-folder/mixed.txt"));
        Key(structure, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompts_->messages.size(), 1);
        QVERIFY2(prompts_->messages[0].contains("no-folder/mixed.txt"), qPrintable(prompts_->messages[0]));
    }

    // Once the file changes on disk, the bytes give way to a sentence naming it.
    void changedFileShowsWhyInsteadOfBytes() {
        frmStructure* structure = Open(Write("mixed.wav", MixedFile()));
        QVERIFY(structure != nullptr);
        QTest::qWait(20);
        Write("mixed.wav", MixedFile() + "more");
        Key(structure, Qt::Key_Down);
        auto* failure = Find<QLabel>(structure, "lbBytesFailure");
        QTRY_VERIFY(failure->isVisible());
        QVERIFY2(failure->text().contains("mixed.wav") && failure->text().contains("has changed"),
                 qPrintable(failure->text()));
        QVERIFY(Find<QLabel>(structure, "lbRowsStatus")->text().contains("has changed"));
    }

    // The largest cue and label lists a file holds: the tree shows the capped
    // map, its last item the rest of the file. (What it costs is measured by
    // bench/bench_structure_window.)
    void longListsOpenWithTheMapsBound() {
        std::vector<CuePointRecord> points;
        std::string labels;
        for (std::uint32_t id = 1; id <= 32767; ++id) {
            points.push_back({id, id * 10});
            labels += Chunk("labl", LabelPayload(id, "L"));
        }
        const QString path = Write("cues.wav", RiffFile(kFmt + Chunk("cue ", CuePayload(points)) +
                                                        Chunk("LIST", ListPayload("adtl", labels)) + kData));
        Analyse(path);
        frmStructure* structure = Open(path);
        QVERIFY(structure != nullptr);
        auto* tree = Find<QTreeView>(structure, "tvStructure");
        // RIFF, fmt, cue, LIST, then the rest of the file (data) past the map's bound.
        QCOMPARE(tree->model()->rowCount(), 5);
        Key(structure, Qt::Key_End);
        QCOMPARE(tree->currentIndex().siblingAtColumn(1).data().toString(), QStringLiteral("(not mapped)"));
    }
};

QTEST_MAIN(StructureWindowTest)
#include "tst_structure_window.moc"
