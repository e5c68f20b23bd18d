// Hostile files in the window: Analyse and then selecting every chunk row
// leave the window running with the expected message or status line, a
// refused file keeps what was on screen, and the busy pointer never stays on.
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <functional>
#include <map>
#include <memory>

#include "hostile_files.h"
#include "support/fake_prompts.h"
#include "support/grid_rows.h"
#include "ui/main/frm_main.h"
#include "ui/main/modprg.h"

using namespace hostile;

namespace {

// A case: how to make the path, the message box text for a refused file ("%1"
// for the path; empty when the file loads) and, for a file that loads, the
// sentence of each chunk that cannot be shown in full and the load's note ("%1"
// for the path), which leads the status line of every chunk.
struct WindowCase {
    std::function<std::string(const ScratchDir&)> makePath;
    QString message;
    std::map<QString, QString> statusLines = {};
    QString note = {};
};

const QString kNotRegular =
    "Ondulo: The file \"%1\" cannot be read: it is not a regular file (it is a device, a "
    "pipe or a socket).";

const QString kShortErrors =
    "The \"labl\" sub-chunk at offset 35 says it holds 100 bytes, but its \"LIST\" chunk ends after 9 of "
    "them. The \"fact\" chunk at offset 12 holds 3 bytes, an odd number, but no pad byte follows it; readers "
    "that expect one miss the \"LIST\" chunk after it and all after it. The \"LIST\" chunk at offset 23 "
    "holds 21 bytes, an odd number; readers that do not skip the pad byte after a list (libsndfile) read the "
    "\"data\" chunk at offset 53 one byte early and lose it.";
// A count far beyond its chunk: readers read past it, an error shown first
// on every row.
const QString kCueCountError =
    "The \"cue \" chunk's count says 2147483647 cue points, but its size makes room for 0; readers that go "
    "by the count read past the chunk.";

const std::map<QString, WindowCase>& Cases() {
    static const std::map<QString, WindowCase> cases = {
        {"fifo", {[](const ScratchDir& s) { return s.Fifo("pipe.wav"); }, kNotRegular}},
        {"endless device", {[](const ScratchDir&) { return std::string("/dev/zero"); }, kNotRegular}},
        {"directory",
         {[](const ScratchDir& s) { return s.Dir(); },
          "Ondulo: The file \"%1\" cannot be read: it is a directory, not a file."}},
        {"empty file",
         {[](const ScratchDir& s) { return s.File("empty.wav", ""); },
          "Ondulo: Not a wav file (RIFF tag) / The file \"%1\" is not a WAV file: it is only 0 bytes long."}},
        {"RF64 head",
         {[](const ScratchDir& s) { return s.File("long.wav", "RF64" + U32(0xFFFFFFFF) + "WAVE"); },
          "Ondulo: Not a wav file (RIFF tag) / The file \"%1\" starts with \"RF64\", not \"RIFF\": the chunk "
          "list shows RIFF files only, and View > Structure\u2026 (Ctrl+M) shows this one. It is an RF64 "
          "file, the "
          "64-bit form of WAV for recordings over 4 GB."}},
        {"AIFF head",
         {[](const ScratchDir& s) { return s.File("apple.wav", "FORM" + U32(4) + "AIFF"); },
          "Ondulo: Not a wav file (RIFF tag) / The file \"%1\" is not a WAV file: it does not start with "
          "\"RIFF\". It is an AIFF file, Apple's uncompressed audio format."}},
        {"RIFF tag alone",
         {[](const ScratchDir& s) { return s.File("riff.wav", "RIFF"); },
          "Ondulo: Not a wav file (WAVE tag) / The file \"%1\" is not a WAV file: it ends before the RIFF "
          "form "
          "type."}},
        {"counts with no records",
         {[](const ScratchDir& s) {
              return s.File("counts.wav",
                            RiffFile(kFmt + Chunk("cue ", CuePayload({}, 0x7FFFFFFF)) +
                                     Chunk("smpl", SmplPayload({}, {}, {}, 0x7FFFFFFF)) + kData));
          },
          QString(),
          {{"RIFF", kCueCountError},
           {"fmt ", kCueCountError},
           {"cue ",
            kCueCountError +
                " The cue chunk could not be shown in full: it has 2147483647 cue points, and at most "
                "32767 can be listed."},
           {"smpl", kCueCountError +
                        " The smpl chunk could not be shown in full: it has 2147483647 sample loops, and at "
                        "most 32767 can be listed."},
           {"data", kCueCountError}}}},
        {"more labels than listed",
         {[](const ScratchDir& s) {
              return s.File("labels.wav", RiffFile(kFmt + ManyLabels(40000) + kData));
          },
          QString(),
          {{"LIST",
            "The LIST chunk could not be shown in full: it has 40000 labels, and at most 32767 can be "
            "listed."}}}},
        {"short fields and odd sizes",
         {[](const ScratchDir& s) {
              return s.File("short.wav", RiffFile(Chunk("fact", "abc", std::nullopt, false) +
                                                  LabelRunningPastItsList() + Chunk("fmt ", U16(1))));
          },
          QString(),
          // The check's errors, where content is lost, stand first in the status
          // line; on the rows of the short chunks, why they cannot be shown in
          // full is one more of what the tool tip lists.
          {{"LIST", kShortErrors + " (3 more; the tool tip lists them.)"},
           {"RIFF", kShortErrors + " (3 more; the tool tip lists them.)"},
           {"data", kShortErrors + " (3 more; the tool tip lists them.)"},
           {"fact", kShortErrors + " (4 more; the tool tip lists them.)"},
           {"fmt ", kShortErrors + " (4 more; the tool tip lists them.)"}}}},
        {"non-ASCII name with spaces",
         {[](const ScratchDir& s) { return s.File(" Caf\xC3\xA9 \xE2\x99\xAA.wav ", GoodFile()); },
          QString()}},
    };
    return cases;
}

}  // namespace

class HostileWindowTest : public QObject {
    Q_OBJECT

    ScratchDir scratch_;
    std::unique_ptr<frmMain> window_;
    FakePrompts* prompts_ = nullptr;

    template <typename T>
    T* Find(const char* name) const {
        return window_->findChild<T*>(name);
    }
    QStringList Rows(const QString& grid) const { return GridRows(*window_, grid); }
    void Analyse(const QString& path) {
        Find<QLineEdit>("txtPatches")->setText(path);
        Find<QPushButton>("cbAnalize")->click();
        QVERIFY2(QApplication::overrideCursor() == nullptr, "busy cursor left on after Analyse");
    }
    // Selects every chunk row in turn; the status line each leaves, by chunk name.
    std::map<QString, QString> SelectEveryRow() {
        std::map<QString, QString> statusLines;
        QTableView* chunks = Find<QTableView>("dbgChunk");
        for (int row = 0; row < chunks->model()->rowCount(); ++row) {
            chunks->selectRow(row);
            const QString status = Find<QLabel>("lbStatus")->text();
            if (!status.isEmpty()) statusLines[chunks->model()->index(row, 0).data().toString()] = status;
        }
        return statusLines;
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
        QVERIFY(window_->isVisible());
        QVERIFY2(!prompts_->cursorOnDuringMessage, "busy cursor over a message");
        window_.reset();
    }

    void analyseAndSelectEveryRow_data() {
        QTest::addColumn<QString>("key");
        for (const auto& entry : Cases()) QTest::newRow(qPrintable(entry.first)) << entry.first;
    }
    void analyseAndSelectEveryRow() {
        QFETCH(QString, key);
        const WindowCase& c = Cases().at(key);
        Analyse(QString::fromStdString(scratch_.File("good.wav", GoodFile())));
        Find<QTableView>("dbgChunk")->selectRow(1);
        const QStringList before = Rows("dbgChunk") + Rows("dbgValues");

        const QString path = QString::fromStdString(c.makePath(scratch_));
        Analyse(path);
        if (!c.message.isEmpty()) {
            QCOMPARE(prompts_->messages, QStringList{c.message.arg(path)});
            QCOMPARE(Rows("dbgChunk") + Rows("dbgValues"), before);
            QCOMPARE(ModPrg::FileState, 1);
            // The old list stays selectable and still shows the previous file.
            QCOMPARE(SelectEveryRow(), (std::map<QString, QString>{}));
        } else {
            QCOMPARE(prompts_->messages, QStringList());
            QCOMPARE(ModPrg::FileState, 2);
            std::map<QString, QString> expected = c.statusLines;
            if (!c.note.isEmpty()) {
                for (const QString& row : Rows("dbgChunk")) {
                    const QString name = row.section('\t', 0, 0);
                    const auto stop = c.statusLines.find(name);
                    expected[name] = (c.note.contains("%1") ? c.note.arg(path) : c.note) +
                                     (stop == c.statusLines.end() ? "" : " " + stop->second);
                }
            }
            QCOMPARE(SelectEveryRow(), expected);
        }
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    // A label of 10 MB shows its first bytes and its length; the cell paints,
    // Copy takes what the cell shows, and the tool tip says Ondulo cut it. A
    // label that only reads like a cut one gets no such tool tip.
    void longTextIsCutInTheCell() {
        const std::string text(10 * 1024 * 1024, 'x');
        const std::string lookalike = "short ... (10,000 bytes in all)";
        Analyse(QString::fromStdString(scratch_.File(
            "long.wav",
            RiffFile(kFmt +
                     Chunk("LIST", ListPayload("adtl", Chunk("labl", LabelPayload(1, text)) +
                                                           Chunk("labl", LabelPayload(2, lookalike)))) +
                     kData))));
        Find<QTableView>("dbgChunk")->selectRow(2);
        const QStringList values = Rows("dbgValues");
        QCOMPARE(values.size(), 11);
        const QString expected = "     Label text\t" + QString(1024, 'x') + " ... (10,485,760 bytes in all)";
        QCOMPARE(values[4], expected);
        QCOMPARE(values[9], "     Label text\t" + QString::fromStdString(lookalike));
        auto* grid = Find<QTableView>("dbgValues");
        QVERIFY(grid->model()
                    ->index(4, 1)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .contains("it holds 10,485,760 bytes in all"));
        QVERIFY(grid->model()->index(9, 1).data(Qt::ToolTipRole).isNull());
        grid->selectRow(4);
        QVERIFY(!grid->grab().isNull());
        QMetaObject::invokeMethod(grid, "CopySelectedRows");
        QCOMPARE(QApplication::clipboard()->text(), expected);
    }

    // What is read after Analyse comes from the file as analysed, or not at
    // all: a selection on a changed file shows the fields the load holds and
    // withholds the records read on demand, whether the bytes changed or only
    // the file's times; the status line says first what to do.
    void changedFileIsNamed_data() {
        QTest::addColumn<bool>("rewrite");
        QTest::addColumn<int>("chunkRow");
        QTest::addColumn<QStringList>("rows");
        const QStringList fmtRows = {"Compression code\t1 (PCM)", "Number of channels\t2 (Stereo)",
                                     "Sample rate\t44100",        "Bytes per second\t176400",
                                     "Bytes per sample\t4",       "Bits per sample\t16"};
        // The count was read at Analyse; the records would be read now.
        const QStringList cueRows = {"Number of cue points\t1", "     Cue Point #1\t"};
        QTest::addRow("rewritten, cue points") << true << 2 << cueRows;
        QTest::addRow("touched, cue points") << false << 2 << cueRows;
        QTest::addRow("touched, format") << false << 1 << fmtRows;
    }
    void changedFileIsNamed() {
        QFETCH(bool, rewrite);
        QFETCH(int, chunkRow);
        QFETCH(QStringList, rows);
        const std::string bytes = RiffFile(kFmt + Chunk("cue ", CuePayload({{1, 0}})) + kData);
        const std::string path = scratch_.File("changing.wav", bytes);
        Analyse(QString::fromStdString(path));
        if (rewrite) {
            scratch_.File("changing.wav", bytes + Chunk("JUNK", ""));
        } else {
            QFile file(QString::fromStdString(path));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                     QFileDevice::FileModificationTime));
        }
        Find<QTableView>("dbgChunk")->selectRow(chunkRow);
        QCOMPARE(Rows("dbgValues"), rows);
        QCOMPARE(Find<QLabel>("lbStatus")->text(),
                 "Press Analyse to read it again: the file \"" + QString::fromStdString(path) +
                     "\" has changed since it was analysed. The fields shown were read at Analyse.");
        Analyse(QString::fromStdString(path));
        Find<QTableView>("dbgChunk")->selectRow(2);
        QCOMPARE(Rows("dbgValues").size(), 8);
    }

    // Rows read as they are scrolled to come from the file as analysed, or
    // not at all: after a change they stay empty and the status line says why.
    void rowsScrolledToAfterAChangeSayWhy() {
        std::vector<CuePointRecord> points;
        for (std::uint32_t i = 1; i <= 2000; ++i) points.push_back({i, i});
        const std::string bytes = RiffFile(kFmt + Chunk("cue ", CuePayload(points)) + kData);
        const std::string path = scratch_.File("scrolled.wav", bytes);
        Analyse(QString::fromStdString(path));
        auto* values = Find<QTableView>("dbgValues");
        Find<QTableView>("dbgChunk")->selectRow(2);
        QCOMPARE(values->model()->rowCount(), 1 + 7 * 2000);
        QCOMPARE(values->model()->index(1, 0).data().toString(), QStringLiteral("     Cue Point #1"));
        scratch_.File("scrolled.wav", bytes + Chunk("JUNK", ""));
        const QModelIndex last = values->model()->index(7 * 2000, 1);
        values->scrollTo(last);
        QCOMPARE(last.data().toString(), QString());
        QCOMPARE(values->model()->index(1, 0).data().toString(), QStringLiteral("     Cue Point #1"));
        QTRY_VERIFY(Find<QLabel>("lbStatus")->text().contains(QString::fromStdString(path)));
        QVERIFY(Find<QLabel>("lbStatus")->text().contains(QStringLiteral("changed")));
    }
};

QTEST_MAIN(HostileWindowTest)
#include "tst_hostile_window.moc"
