#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDirIterator>
#include <QFileDialog>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "rows/chunk_details.h"
#include "rows/fill_chunk_list.h"
#include "support/corpus.h"
#include "support/wav_builder.h"
#include "ui/widgets/grid_rows.h"
#include "ui/widgets/qt_user_prompts.h"
#include "ui/widgets/row_table_model.h"
#include "ui/widgets/row_table_view.h"
#include "wavedoc/document/wave_document.h"

namespace {

// Counts the cells a view reads, to see how much of a long list it touches.
class CountingModel : public RowTableModel {
public:
    using RowTableModel::RowTableModel;
    QVariant data(const QModelIndex& index, int role) const override {
        displayReads += role == Qt::DisplayRole ? 1 : 0;
        return RowTableModel::data(index, role);
    }
    mutable int displayReads = 0;
};

using namespace wavtest;

// The bytes of a file of the shared collections.
std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A list of `count` labels, notes and labelled texts with texts longer than
// a cell shows; the note at `shortNote` (from 1; 0: none) is too short for
// its cue point id, which stops the rows there.
std::string LongList(std::uint32_t count, std::uint32_t shortNote) {
    std::string entries;
    const std::string text(1500, 't');
    for (std::uint32_t i = 1; i <= count; ++i) {
        entries += Chunk("labl", LabelPayload(i, "label " + std::to_string(i)));
    }
    for (std::uint32_t i = 1; i <= count; ++i) {
        entries += Chunk("note", i == shortNote ? std::string("ab") : LabelPayload(i, text));
    }
    for (std::uint32_t i = 1; i <= count; ++i)
        entries += Chunk("ltxt", LtxtPayload({i, 10, "rgn ", 1, 2, 3, 4, text}));
    return Chunk("LIST", ListPayload("adtl", entries));
}

// Every chunk of the chunk list, its rows made at once and as scrolled to
// (from the last row up): the same rows, ranges, sentence, and the same rows
// near each byte a row shows.
void CompareRunsWithRowsMadeAtOnce(const std::string& bytes, const QString& what) {
    wavedoc::WaveDocument document;
    if (document.LoadFromMemory(bytes, what.toStdString()) != wavedoc::LoadOk) return;
    rows::RowList chunks;
    rows::RowList values;
    rows::FillChunkList(document, chunks, values);
    for (const std::string& chunk : chunks.Rows()) {
        const std::string name(rows::SplitRow(chunk).first);
        const QString where = what + " " + QString::fromStdString(name);
        GridRows atOnce;
        rows::EagerRows eager(atOnce);
        const std::optional<std::string> stopAtOnce = rows::ShowChunkDetails(document, name, eager);
        GridRows scrolled;
        QCOMPARE(rows::ShowChunkDetails(document, name, scrolled), stopAtOnce);
        QVERIFY2(scrolled.Count() == atOnce.Count(), qPrintable(where));
        for (std::size_t i = scrolled.Count(); i-- > 0;) {
            QVERIFY2(scrolled.Row(i) == atOnce.Row(i), qPrintable(where + " row " + QString::number(i)));
            QVERIFY2(scrolled.RangeOf(i) == atOnce.RangeOf(i),
                     qPrintable(where + " row " + QString::number(i)));
        }
        for (std::size_t i = 0; i < atOnce.Count(); i += atOnce.Count() / 40 + 1) {
            const std::optional<rows::ByteRange> range = atOnce.RangeOf(i);
            if (!range) continue;
            const std::vector<RangedRow> near = scrolled.RowsOverByte(range->offset);
            for (std::size_t j = 0; j < atOnce.Count(); ++j) {
                const std::optional<rows::ByteRange> other = atOnce.RangeOf(j);
                if (!other || range->offset < other->offset ||
                    range->offset - other->offset >= other->length) {
                    continue;
                }
                const bool found = std::any_of(near.begin(), near.end(), [&](const RangedRow& row) {
                    return row.row == j && row.range == *other;
                });
                QVERIFY2(found, qPrintable(where + " byte " + QString::number(range->offset) + " row " +
                                           QString::number(j)));
            }
        }
    }
}

}  // namespace

class RowGridTest : public QObject {
    Q_OBJECT

private slots:
    // Cells split at the first TAB; a value shown other than it is (reversed
    // by a direction override, holding a control character) has its escaped
    // form as its tool tip, as ondulo-dump prints it.
    void cellsSplitAtTheFirstTab_data() {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("rawLabel");
        QTest::addColumn<QString>("valueTip");  // part of the value's tool tip; empty: none
        QTest::addRow("value row") << QByteArray("fmt \t16") << "fmt "
                                   << "16" << QByteArray("fmt ") << "";
        QTest::addRow("indented heading") << QByteArray("     Cue Point #1") << "     Cue Point #1"
                                          << "" << QByteArray("     Cue Point #1") << "";
        QTest::addRow("tab inside the value") << QByteArray("Text\ta\tb") << "Text"
                                              << "a\tb" << QByteArray("Text") << "";
        QTest::addRow("Latin-1 byte shown, raw kept")
            << QByteArray("caf\xe9\tx") << QString::fromUtf8("caf\xc3\xa9") << "x" << QByteArray("caf\xe9")
            << "";
        QTest::addRow("direction override spelled out") << QByteArray(
                                                               "Label text\tabc\xe2\x80\xae"
                                                               "def")
                                                        << "Label text"
                                                        << QString::fromUtf8(
                                                               "abc\xe2\x80\xae"
                                                               "def")
                                                        << QByteArray("Label text") << "abc\\u202edef";
        QTest::addRow("control character spelled out")
            << QByteArray("Label text\ta\x1b[2Jb") << "Label text"
            << "a\x1b[2Jb" << QByteArray("Label text") << "a\\u001b[2Jb";
        QTest::addRow("a backslash alone is shown as it is") << QByteArray("Path\tC:\\x") << "Path"
                                                             << "C:\\x" << QByteArray("Path") << "";
    }
    void cellsSplitAtTheFirstTab() {
        QFETCH(QByteArray, row);
        QFETCH(QString, label);
        QFETCH(QString, value);
        QFETCH(QByteArray, rawLabel);
        QFETCH(QString, valueTip);
        RowTableModel model(QStringLiteral("Parameter"), QStringLiteral("Value"));
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.SetRows(GridRows{"first\t1", row.toStdString()});
        QCOMPARE(model.index(1, 0).data().toString(), label);
        QCOMPARE(model.index(1, 1).data().toString(), value);
        QCOMPARE(QByteArray::fromStdString(model.RawCell(1, 0)), rawLabel);
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Value"));
        const QString tip = model.index(1, 1).data(Qt::ToolTipRole).toString();
        QVERIFY2(valueTip.isEmpty() ? tip.isEmpty() : tip.contains(valueTip), qPrintable(tip));
    }

    void copyPutsSelectedRowsOnTheClipboard_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("byContextMenu");
        QTest::addColumn<QString>("expected");
        QTest::addRow("value row, Ctrl+C") << 0 << false << "Number of cue points\t2";
        QTest::addRow("heading row, menu") << 1 << true << "     Cue Point #1\t";
        QTest::addRow("nothing selected") << -1 << false << "untouched";
    }
    void copyPutsSelectedRowsOnTheClipboard() {
        QFETCH(int, row);
        QFETCH(bool, byContextMenu);
        QFETCH(QString, expected);
        RowTableModel model(QStringLiteral("Parameter"), QStringLiteral("Value"));
        model.SetRows(GridRows{"Number of cue points\t2", "     Cue Point #1"});
        RowTableView view;
        view.setModel(&model);
        if (row >= 0) view.selectRow(row);
        QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
        if (byContextMenu) {
            QCOMPARE(view.contextMenuPolicy(), Qt::ActionsContextMenu);
            QCOMPARE(view.actions().first()->text(), QStringLiteral("Copy"));
            view.actions().first()->trigger();
        } else {
            QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
        }
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    }

    // Rows of long runs of records are made as they are scrolled to, and are
    // then the rows made at once, row for row, range for range, with the
    // same sentence when they stop short.
    void runsAgreeWithRowsMadeAtOnce_data() {
        QTest::addColumn<QByteArray>("file");
        const auto wave = [](const std::string& chunks) {
            return QByteArray::fromStdString(
                RiffFile(Chunk("fmt ", PcmFormat(1, 8000, 8)) + chunks + Chunk("data", "ab")));
        };
        std::vector<CuePointRecord> points;
        std::vector<PlaySegmentRecord> segments;
        std::vector<SampleLoopRecord> loops;
        for (std::uint32_t i = 1; i <= 700; ++i) {
            points.push_back({i, i * 10});
            segments.push_back({i, i * 3, 1});
            loops.push_back({i, 0, i, i + 100});
        }
        QTest::addRow("700 cue points, segments and loops")
            << wave(Chunk("cue ", CuePayload(points)) + Chunk("plst", PlstPayload(segments)) +
                    Chunk("smpl", SmplPayload({}, loops)));
        QTest::addRow("a count beyond the records held")
            << wave(Chunk("cue ", CuePayload(points, 900)) + Chunk("plst", PlstPayload(segments, 701)));
        QTest::addRow("300 of each list entry, long texts") << wave(LongList(300, 0));
        QTest::addRow("a short note among them") << wave(LongList(300, 200));
        QTest::addRow("the first note short") << wave(LongList(300, 1));
    }
    void runsAgreeWithRowsMadeAtOnce() {
        QFETCH(QByteArray, file);
        CompareRunsWithRowsMadeAtOnce(file.toStdString(), QString::fromUtf8(QTest::currentDataTag()));
    }
    void runsAgreeOverTheSharedCollections() {
        std::size_t files = 0;
        for (const char* set : {"corpus", "corpus2"}) {
            const std::filesystem::path folder = std::filesystem::path(SharedDir()) / set;
            if (!std::filesystem::is_directory(folder)) continue;
            for (const auto& entry : std::filesystem::directory_iterator(folder)) {
                if (entry.path().extension() == ".md") continue;
                CompareRunsWithRowsMadeAtOnce(FileBytes(entry.path()),
                                              QString::fromStdString(entry.path().filename().string()));
                if (QTest::currentTestFailed()) return;
                ++files;
            }
        }
        if (files == 0) QSKIP("the shared collections are not beside the repository");
    }

    // A run of 32767 records costs what is looked at: reading rows at both
    // ends and finding a byte's row makes a few pieces, not the run; the rows
    // stop at a record that cannot be made, saying why once.
    void aRunIsMadeAsItIsLookedAt() {
        int made = 0;
        GridRows rows;
        std::vector<std::string> stops;
        rows.SetStopHandler([&stops](const std::string& sentence) { stops.push_back(sentence); });
        rows.AppendRow("Number of records\t32767");
        const auto place = [](std::int32_t i) {
            return rows::ByteRange{100 + 8 * static_cast<std::uint64_t>(i), 8};
        };
        rows.AppendRun(
            rows::RecordRun{32767, 2,
                            [&made, place](std::int32_t first, std::int32_t last, rows::RowSink& sink) {
                                for (std::int32_t i = first; i <= last; ++i) {
                                    if (i == 20000) throw std::runtime_error("The file changed.");
                                    ++made;
                                    rows::AddHeadingRow(sink, "#" + std::to_string(i), place(i));
                                    rows::AddValueRow(sink, "Value", std::to_string(i * 2),
                                                      rows::RangeWithin(place(i), 4, 4));
                                }
                            },
                            place});
        rows.AppendRow("After");
        QCOMPARE(rows.Count(), std::size_t{1 + 2 * 32767 + 1});
        QVERIFY2(made <= 256, qPrintable(QString::number(made)));
        QCOMPARE(rows.Row(2 * 32767 - 1), std::string_view("#32767"));
        QCOMPARE(rows.Row(2 * 32767 + 1), std::string_view("After"));
        QCOMPARE(rows.Row(2 * 1000), std::string_view("Value\t2000"));
        const std::vector<RangedRow> near = rows.RowsOverByte(100 + 8 * 30000 + 5);
        QCOMPARE(near.size(), std::size_t{2});
        QCOMPARE(near[1].row, std::size_t{2 * 30000});
        QVERIFY2(made <= 4 * 256, qPrintable(QString::number(made)));
        QVERIFY(stops.empty());
        QCOMPARE(rows.Row(2 * 20000 - 1), std::string_view());
        QCOMPARE(rows.Row(2 * 20000 - 3), std::string_view("#19999"));
        QCOMPARE(rows.Row(2 * 20001 - 1), std::string_view());
        QCOMPARE(stops, std::vector<std::string>{"The file changed."});
        // The rows stop at the record that failed: those before it stay.
        QCOMPARE(rows.StoppedAt(), std::optional<std::size_t>{2 * 20000 - 1});
        rows.DropStoppedRows();
        QCOMPARE(rows.Count(), std::size_t{2 * 20000 - 1});
        QCOMPARE(rows.Row(2 * 20000 - 2), std::string_view("Value\t39998"));
        QVERIFY(rows.RowsOverByte(100 + 8 * 30000 + 5).empty());
    }

    void fittingTheFirstColumnSamplesALongList() {
        CountingModel model(QStringLiteral("Parameter"), QStringLiteral("Value"));
        GridRows rows;
        for (int i = 0; i < 229370; ++i) rows.AppendRow("     Sample offset\t123456");
        model.SetRows(std::move(rows));
        RowTableView view;
        view.setModel(&model);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        model.displayReads = 0;
        view.FitFirstColumn();
        QVERIFY2(model.displayReads < 5000, qPrintable(QString::number(model.displayReads)));
        QVERIFY(view.columnWidth(0) >
                view.fontMetrics().horizontalAdvance(QStringLiteral("     Sample offset")));
    }

    // Typing in a long grid looks through a bounded stretch of rows for a
    // label that starts with the keys, not through every row.
    void typeAheadLooksThroughABoundedStretch() {
        CountingModel model(QStringLiteral("Parameter"), QStringLiteral("Value"));
        GridRows rows;
        for (int i = 0; i < 229370; ++i)
            rows.AppendRow(i == 100 ? "Sample rate\t44100" : "     Sample offset\t1");
        model.SetRows(std::move(rows));
        RowTableView view;
        view.setModel(&model);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setCurrentIndex(model.index(0, 0));
        model.displayReads = 0;
        QTest::keyClicks(&view, QStringLiteral("sam"));
        QCOMPARE(view.currentIndex().row(), 100);
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(&view, QStringLiteral("x"));
        QCOMPARE(view.currentIndex().row(), 100);
        QVERIFY2(model.displayReads < 4 * RowTableModel::kMostMatchedRows,
                 qPrintable(QString::number(model.displayReads)));
    }

    // The file dialogs, opened and closed both ways, leave nothing in the
    // user's configuration folder (Qt's dialog would save its history there).
    void fileDialogsKeepNothingOnDisk() {
        const QTemporaryDir home;
        QVERIFY(home.isValid());
        qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
        {
            QtUserPrompts prompts;
            for (const bool accept : {false, true}) {
                // Closes the dialog once it is up.
                QTimer closer;
                QObject::connect(&closer, &QTimer::timeout, [accept] {
                    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                    if (dialog == nullptr) return;
                    dialog->selectFile(QStringLiteral("chosen.wav"));
                    static_cast<QDialog*>(dialog)->done(accept ? QDialog::Accepted : QDialog::Rejected);
                });
                closer.start(20);
                prompts.ChooseSaveFile(nullptr, home.path(), QStringLiteral("WAV files (*.wav)"));
            }
        }
        QDirIterator kept(home.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                          QDirIterator::Subdirectories);
        QVERIFY2(!kept.hasNext(), qPrintable(kept.hasNext() ? kept.next() : QString()));
    }
};

QTEST_MAIN(RowGridTest)
#include "tst_row_grid.moc"
