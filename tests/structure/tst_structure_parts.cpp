#include <sys/resource.h>
#include <sys/stat.h>

#include <QAbstractItemModelTester>
#include <QPalette>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <limits>
#include <sstream>

#include "app/dump/collection_run.h"
#include "report/analysis.h"
#include "structure_test_files.h"
#include "support/scratch_dir.h"
#include "support/wav_builder.h"
#include "ui/structure/byte_kinds.h"
#include "ui/structure/byte_lines_model.h"
#include "ui/structure/byte_search.h"
#include "ui/structure/entry_filter.h"
#include "ui/structure/field_ranges.h"
#include "ui/structure/file_strip.h"
#include "ui/structure/findings_model.h"
#include "ui/structure/offset_parsing.h"
#include "ui/structure/report_saving.h"
#include "ui/structure/structure_opening.h"
#include "ui/structure/structure_tree_model.h"
#include "ui/widgets/meaning_colours.h"
#include "ui/widgets/work_runner.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/byte_source.h"
#include "wavedoc/reading/wave_error.h"

using namespace wavtest;
using structuretest::kFmt;
using structuretest::MixedFile;

namespace {

// Ends in three bytes too few for a header.
std::string CutFile() { return RiffFile(kFmt + Chunk("data", "\1\2\3\4") + "\1\2\3"); }

std::unique_ptr<wavedoc::WaveDocument> Loaded(const std::string& bytes) {
    auto document = std::make_unique<wavedoc::WaveDocument>();
    if (document->LoadFromMemory(bytes, "test.wav") != wavedoc::LoadOk) qFatal("the test file does not load");
    return document;
}

// The tree as the user reads it: one line per item, indented by depth.
void AddTreeLines(const QAbstractItemModel& model, const QModelIndex& parent, const QString& indent,
                  QStringList& lines) {
    for (int row = 0; row < model.rowCount(parent); ++row) {
        QStringList cells;
        for (int column = 0; column < model.columnCount(parent); ++column)
            cells << model.index(row, column, parent).data().toString();
        lines << indent + cells.join(QStringLiteral(" | "));
        AddTreeLines(model, model.index(row, 0, parent), indent + QStringLiteral("  "), lines);
    }
}

// A source of any length whose bytes are all 'A', counting what it is asked
// for; it can be told to fail as a changed file does.
class CountingSource : public wavedoc::ByteSource {
public:
    explicit CountingSource(std::uint64_t length) : length_(length) {}
    std::uint64_t Length() const override { return length_; }
    std::string Read(std::uint64_t offset, std::uint64_t count) const override {
        if (changed)
            throw wavedoc::FileChangedError("The file \"big.wav\" has changed since it was analysed.");
        const std::uint64_t present = offset < length_ ? std::min(count, length_ - offset) : 0;
        bytesRead += present;
        return std::string(present, 'A');
    }
    const std::string& DisplayName() const override { return name_; }

    bool changed = false;
    mutable std::uint64_t bytesRead = 0;

private:
    std::uint64_t length_;
    std::string name_ = "big.wav";
};

wavecheck::Finding MakeFinding(wavecheck::Level level, std::uint64_t offset, std::string code) {
    wavecheck::Finding finding;
    finding.level = level;
    finding.offset = offset;
    finding.chunkOffset = offset;
    finding.chunk = "data";
    finding.code = std::move(code);
    finding.message = "A sentence.";
    return finding;
}

}  // namespace

class StructurePartsTest : public QObject {
    Q_OBJECT

    ScratchDir scratch_;

private slots:
    void offsetParsing_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("offset");  // -1: refused
        QTest::addColumn<QString>("problem");
        QTest::addRow("decimal") << "44" << qint64(44) << "";
        QTest::addRow("hex") << "0x2C" << qint64(44) << "";
        QTest::addRow("hex, any case") << "0X2c" << qint64(44) << "";
        QTest::addRow("spaces around") << "  12 " << qint64(12) << "";
        QTest::addRow("first byte") << "0" << qint64(0) << "";
        QTest::addRow("last byte") << "99" << qint64(99) << "";
        QTest::addRow("end of file") << "100" << qint64(-1)
                                     << "past the end of the file, which holds 100 bytes";
        QTest::addRow("hex past the end") << "0x64" << qint64(-1) << "past the end";
        QTest::addRow("beyond 64 bits") << "18446744073709551616" << qint64(-1) << "past the end";
        QTest::addRow("hex beyond 64 bits") << "0x1FFFFFFFFFFFFFFFF" << qint64(-1) << "past the end";
        QTest::addRow("word") << "abc" << qint64(-1) << "\"abc\" is not an offset";
        QTest::addRow("trailing junk") << "12abc" << qint64(-1) << "is not an offset";
        QTest::addRow("hex digits without 0x") << "2C" << qint64(-1) << "is not an offset";
        QTest::addRow("negative") << "-1" << qint64(-1) << "is not an offset";
        QTest::addRow("0x alone") << "0x" << qint64(-1) << "is not an offset";
        QTest::addRow("two numbers") << "1 2" << qint64(-1) << "is not an offset";
        QTest::addRow("nothing") << "  " << qint64(-1) << "Type an offset";
    }
    void offsetParsing() {
        QFETCH(QString, text);
        QFETCH(qint64, offset);
        QFETCH(QString, problem);
        const ParsedOffset parsed = ParseOffset(text.toStdString(), 100);
        QCOMPARE(parsed.offset ? qint64(*parsed.offset) : qint64(-1), offset);
        QVERIFY2(QString::fromStdString(parsed.problem).contains(problem), parsed.problem.c_str());
        QCOMPARE(parsed.problem.empty(), offset >= 0);
    }

    void treeReadsLikeTheMap_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("tree");
        QTest::addRow("mixed") << QByteArray::fromStdString(MixedFile())
                               << QStringList{
                                      "0 | RIFF | 145 | 145 | file header",
                                      "12 | fmt  | 16 | 16 | listed",
                                      "36 | fmt  | 16 | 16 | later fmt: not listed",
                                      "60 | LIST (adtl) | 36 | 36 | listed",
                                      "  72 | labl | 10 | 10 | listed",
                                      "  90 | note | 6 | 6 | listed",
                                      "104 | LIST (INFO) | 18 | 18 | other list: not listed",
                                      "  116 | INAM | 5 | 5 | in a list not shown",
                                      "130 | JUNK | 3 | 3 | type not listed; pad byte missing",
                                      "141 | data | -16 | 4 | listed; runs past the end",
                                  };
        QTest::addRow("cut header") << QByteArray::fromStdString(CutFile())
                                    << QStringList{
                                           "0 | RIFF | 43 | 43 | file header",
                                           "12 | fmt  | 16 | 16 | listed",
                                           "36 | data | 4 | 4 | listed",
                                           "48 | (cut header) |  | 3 | header cut off",
                                       };
    }
    void treeReadsLikeTheMap() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, tree);
        const auto document = Loaded(file.toStdString());
        StructureTreeModel model(*document);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QStringList lines;
        AddTreeLines(model, {}, {}, lines);
        QCOMPARE(lines, tree);
    }

    void sizesPast2GbKeepTheirValueInTheToolTip() {
        const auto document = Loaded(MixedFile());
        StructureTreeModel model(*document);
        const QModelIndex data = model.index(model.rowCount() - 1, StructureTreeModel::SizeColumn);
        QCOMPARE(data.data().toString(), QStringLiteral("-16"));
        QVERIFY2(data.data(Qt::ToolTipRole).toString().contains("4,294,967,280 (0xFFFFFFF0)"),
                 qPrintable(data.data(Qt::ToolTipRole).toString()));
        // Bytes that are no chunk are greyed; chunks keep the view's colour.
        const auto cut = Loaded(CutFile());
        StructureTreeModel cutModel(*cut);
        QVERIFY(cutModel.index(3, 0).data(Qt::ForegroundRole).isValid());
        QVERIFY(!cutModel.index(2, 0).data(Qt::ForegroundRole).isValid());
    }

    void deepestEntryHoldingAnOffset_data() {
        QTest::addColumn<qulonglong>("offset");
        QTest::addColumn<QString>("entry");  // offset and chunk of the item found
        QTest::addRow("file header") << 0ULL << "0 RIFF";
        QTest::addRow("form type") << 11ULL << "0 RIFF";
        QTest::addRow("first chunk") << 12ULL << "12 fmt ";
        QTest::addRow("last byte of a chunk") << 59ULL << "36 fmt ";
        QTest::addRow("list header") << 60ULL << "60 LIST (adtl)";
        QTest::addRow("list type") << 71ULL << "60 LIST (adtl)";
        QTest::addRow("sub-chunk") << 72ULL << "72 labl";
        QTest::addRow("pad byte of a sub-chunk") << 89ULL << "72 labl";
        QTest::addRow("next sub-chunk") << 90ULL << "90 note";
        QTest::addRow("other list's item") << 120ULL << "116 INAM";
        QTest::addRow("odd chunk without pad") << 140ULL << "130 JUNK";
        QTest::addRow("last byte of the file") << 152ULL << "141 data";
        QTest::addRow("end of the file") << 153ULL << "none";
    }
    void deepestEntryHoldingAnOffset() {
        QFETCH(qulonglong, offset);
        QFETCH(QString, entry);
        const auto document = Loaded(MixedFile());
        StructureTreeModel model(*document);
        const int item = model.DeepestHolding(offset);
        const QString found =
            item == StructureTreeModel::kNoItem
                ? QStringLiteral("none")
                : model.IndexOf(item, 0).data().toString() + ' ' +
                      model.IndexOf(item, StructureTreeModel::ChunkColumn).data().toString();
        QCOMPARE(found, entry);
    }

    // A byte names the narrowest row over it; a finding the widest row that
    // starts where it does, short of the entry as a whole.
    void rowsFoundByTheirBytes_data() {
        QTest::addColumn<qulonglong>("offset");
        QTest::addColumn<int>("holding");   // -1: none
        QTest::addColumn<int>("starting");  // -1: none
        QTest::addRow("before every range") << 9ULL << -1 << -1;
        QTest::addRow("a heading's first byte: its first field") << 48ULL << 2 << 1;
        QTest::addRow("inside a field") << 50ULL << 2 << -1;
        QTest::addRow("the next field") << 52ULL << 3 << 3;
        QTest::addRow("inside the record only") << 60ULL << 1 << -1;
        QTest::addRow("the last byte of the record") << 71ULL << 1 << -1;
        QTest::addRow("the entry's start: the count, not the entry") << 44ULL << 0 << 0;
        QTest::addRow("past every range") << 72ULL << -1 << -1;
    }
    void rowsFoundByTheirBytes() {
        QFETCH(qulonglong, offset);
        QFETCH(int, holding);
        QFETCH(int, starting);
        // A count, a record's heading, two of its fields, (a row of no
        // bytes,) and a range as long as the entry.
        const RowRanges ranges{{0, rows::ByteRange{44, 4}},
                               {1, rows::ByteRange{48, 24}},
                               {2, rows::ByteRange{48, 4}},
                               {3, rows::ByteRange{52, 4}},
                               {5, rows::ByteRange{44, 28}}};
        QCOMPARE(RowHolding(ranges, offset).value_or(-1), holding);
        QCOMPARE(RowStartingAt(ranges, offset, 28).value_or(-1), starting);
    }

    // The marked bytes show on their cells, the text column on any line
    // they touch; a new stretch marks none.
    void markedBytesShowOnTheirCells() {
        CountingSource source(100);
        ByteLinesModel model;
        model.SetStretch(&source, 0, 100);
        model.SetMarked(ByteLinesModel::Span{20, 33});
        QVERIFY(!model.IsMarked(1, 4));  // byte 19
        QVERIFY(model.IsMarked(1, 5));   // byte 20
        QVERIFY(model.IsMarked(2, 2));   // byte 33
        QVERIFY(!model.IsMarked(2, 3));  // byte 34
        QVERIFY(model.IsMarked(2, ByteLinesModel::kTextColumn));
        QVERIFY(!model.IsMarked(0, ByteLinesModel::kTextColumn));
        QVERIFY(!model.IsMarked(1, ByteLinesModel::kOffsetColumn));
        QVERIFY(model.data(model.index(1, 5), Qt::BackgroundRole).isValid());
        QVERIFY(!model.data(model.index(1, 4), Qt::BackgroundRole).isValid());
        // The text column marks the same bytes, character by character.
        std::vector<bool> text;
        for (const ByteLinesModel::CharLook& look : model.TextLooks(1)) text.push_back(look.marked);
        QCOMPARE(text, std::vector<bool>({false, false, false, false, true, true, true, true, true, true,
                                          true, true, true, true, true, true}));
        // The colours are the palette's: a dark one gives its own.
        const QPalette before = QGuiApplication::palette();
        QPalette dark = before;
        dark.setColor(QPalette::Highlight, QColor(0x11, 0x22, 0x33));
        dark.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
        QGuiApplication::setPalette(dark);
        const QColor marked = model.data(model.index(1, 5), Qt::BackgroundRole).value<QColor>();
        const QColor character = model.TextLooks(1)[0].colour;
        QGuiApplication::setPalette(before);
        QCOMPARE(marked.rgb(), QColor(0x11, 0x22, 0x33).rgb());
        QCOMPARE(character, QColor(0xEE, 0xEE, 0xEE));
        model.SetStretch(&source, 0, 100);
        QVERIFY(!model.Marked());
        QVERIFY(!model.TextLooks(1)[4].marked);
    }

    // Each byte's kind and face come from the deepest entry holding it.
    void bytesTakeTheirEntrysLook_data() {
        QTest::addColumn<qulonglong>("offset");
        QTest::addColumn<QString>("look");  // kind, then "unlisted" and "damaged" when so
        QTest::addRow("file header") << 0ULL << "header";
        QTest::addRow("form type") << 11ULL << "header";
        QTest::addRow("chunk header") << 12ULL << "header";
        QTest::addRow("chunk content") << 20ULL << "content";
        QTest::addRow("later chunk of a listed type") << 44ULL << "content unlisted";
        QTest::addRow("list type") << 71ULL << "header";
        QTest::addRow("label in the shown list") << 89ULL << "content";
        QTest::addRow("item's pad byte") << 129ULL << "pad unlisted";
        QTest::addRow("item of another list") << 116ULL << "header unlisted";
        QTest::addRow("chunk without its pad byte") << 140ULL << "content unlisted damaged";
        QTest::addRow("chunk cut short") << 150ULL << "content damaged";
        QTest::addRow("past the end") << 153ULL << "stray unlisted";
    }
    void bytesTakeTheirEntrysLook() {
        QFETCH(qulonglong, offset);
        QFETCH(QString, look);
        const auto document = Loaded(MixedFile());
        StructureTreeModel model(*document);
        const ByteLook found = LookOf(model, offset);
        const char* kinds[] = {"header", "content", "pad", "stray"};
        QString text = kinds[static_cast<int>(found.kind)];
        if (!found.listed) text += " unlisted";
        if (found.damaged) text += " damaged";
        QCOMPARE(text, look);

        // The byte's character in the text column takes its hex cell's
        // colour and face, and is marked alone when the byte alone is.
        ByteLinesModel lines;
        lines.SetStretch(document->Source(), 0, document->Source()->Length());
        lines.SetLook([&model](std::uint64_t at) { return LookOf(model, at); });
        lines.SetMarked(ByteLinesModel::Span{offset, offset});
        const QModelIndex cell = lines.IndexOfByte(offset);
        if (!cell.isValid()) return;  // past the end: no byte to show
        const std::vector<ByteLinesModel::CharLook> looks = lines.TextLooks(cell.row());
        const auto at = static_cast<std::size_t>(offset % ByteLinesModel::kBytesPerLine);
        QCOMPARE(looks.size(),
                 std::size_t(std::min<qulonglong>(16, document->Source()->Length() - offset / 16 * 16)));
        QCOMPARE(QVariant(looks[at].colour), cell.data(Qt::ForegroundRole));
        const QFont font = cell.data(Qt::FontRole).value<QFont>();
        QCOMPARE(looks[at].italic, font.italic());
        QCOMPARE(looks[at].bold, font.bold());
        for (std::size_t other = 0; other < looks.size(); ++other) QCOMPARE(looks[other].marked, other == at);
        // The text cell's background is drawn per character, not for the whole line.
        QVERIFY(!cell.siblingAtColumn(ByteLinesModel::kTextColumn).data(Qt::BackgroundRole).isValid());
        QVERIFY(cell.data(Qt::BackgroundRole).isValid());
    }

    // Every kind of byte reads at least 3:1 against the bytes' ground, the
    // mark over it and the window (where the legend draws its swatches), in a
    // light palette and a dark one, and no two kinds share a colour.
    void byteColoursStandOutInLightAndDark_data() {
        QTest::addColumn<QPalette>("palette");
        QPalette light;
        for (const auto& [role, colour] : std::initializer_list<std::pair<QPalette::ColorRole, QColor>>{
                 {QPalette::Window, QColor(239, 239, 239)},
                 {QPalette::Base, Qt::white},
                 {QPalette::Text, Qt::black},
                 {QPalette::Highlight, QColor(48, 140, 198)},
                 {QPalette::Link, Qt::blue},
                 {QPalette::LinkVisited, Qt::magenta},
                 {QPalette::PlaceholderText, Qt::black}}) {
            light.setColor(role, colour);
        }
        // As a dark desktop theme gives it.
        QPalette dark;
        for (const auto& [role, colour] : std::initializer_list<std::pair<QPalette::ColorRole, QColor>>{
                 {QPalette::Window, QColor(49, 54, 59)},
                 {QPalette::Base, QColor(35, 38, 41)},
                 {QPalette::Text, QColor(239, 240, 241)},
                 {QPalette::Highlight, QColor(61, 174, 233)},
                 {QPalette::Link, QColor(29, 153, 243)},
                 {QPalette::LinkVisited, QColor(155, 89, 182)},
                 {QPalette::PlaceholderText, QColor(127, 140, 141)}}) {
            dark.setColor(role, colour);
        }
        QTest::addRow("light") << light;
        QTest::addRow("dark") << dark;
    }
    void byteColoursStandOutInLightAndDark() {
        QFETCH(QPalette, palette);
        const QColor base = palette.color(QPalette::Base);
        const QColor grounds[] = {base, Over(MarkColour(palette), base), palette.color(QPalette::Window)};
        QStringList swatches;
        for (const ByteKind kind :
             {ByteKind::Header, ByteKind::Content, ByteKind::PadByte, ByteKind::Stray}) {
            const QColor colour = KindColour(kind, palette);
            for (const QColor& ground : grounds) {
                QVERIFY2(ContrastRatio(colour, ground) >= kLeastContrast,
                         qPrintable(colour.name() + " on " + ground.name()));
            }
            QVERIFY2(!swatches.contains(colour.name()), qPrintable(colour.name()));
            swatches << colour.name();
            QVERIFY(ByteLegend(palette).contains(colour.name()));
        }
    }

    // An entry carries its gravest finding's level; a finding past the end
    // of the file goes to the chunk it names.
    void entriesCarryTheirGravestFinding() {
        const auto document = Loaded(MixedFile());
        StructureTreeModel model(*document);
        const int error = static_cast<int>(wavecheck::Level::Error);
        const int warning = static_cast<int>(wavecheck::Level::Warning);
        const int note = static_cast<int>(wavecheck::Level::Note);
        model.SetFindingLevels({{36, 36}, {130, 130}, {130, 130}, {5000, 141}, {89, 60}},
                               {warning, note, error, error, note});
        const auto levelAt = [&model](std::uint64_t offset) {
            return static_cast<int>(model.FindingLevel(model.DeepestHolding(offset)));
        };
        QCOMPARE(levelAt(36), warning);
        QCOMPARE(levelAt(130), error);  // the gravest of two
        QCOMPARE(levelAt(141), error);
        QCOMPARE(levelAt(72), note);  // the label holding byte 89
        QCOMPARE(levelAt(60), static_cast<int>(StructureTreeModel::kNoLevel));
        QCOMPARE(levelAt(12), static_cast<int>(StructureTreeModel::kNoLevel));
        const QModelIndex fmt = model.IndexOf(model.DeepestHolding(36), StructureTreeModel::ChunkColumn);
        QVERIFY(model.data(fmt, Qt::DecorationRole).isValid());
        QVERIFY(
            !model.data(fmt.siblingAtColumn(StructureTreeModel::OffsetColumn), Qt::DecorationRole).isValid());
    }

    // The strip gives each top-level entry a band in file order, as wide as
    // its share of the file but never under three pixels, and a click at any
    // pixel names the entry drawn there.
    void stripBandsFollowTheFile_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("dataBytes");
        QTest::addRow("roomy") << 400 << 100000;
        QTest::addRow("narrow: proportions only") << 12 << 100000;
        QTest::addRow("small data") << 400 << 4;
    }
    void stripBandsFollowTheFile() {
        QFETCH(int, width);
        QFETCH(int, dataBytes);
        const std::string bytes =
            RiffFile(kFmt + Chunk("JUNK", "abcd") +
                     Chunk("data", std::string(static_cast<std::size_t>(dataBytes), '\1')));
        const auto document = Loaded(bytes);
        StructureTreeModel model(*document);
        FileStrip strip(model, bytes.size());
        strip.resize(width, 20);
        QCOMPARE(strip.BandCount(), std::size_t{4});  // RIFF header, fmt, JUNK, data
        int previous = 0;
        for (std::size_t band = 0; band < strip.BandCount(); ++band) {
            const auto [left, right] = strip.BandOf(band);
            QCOMPARE(left, previous);
            if (width >= 100) QVERIFY2(right - left >= 3, qPrintable(QString::number(band)));
            previous = right;
            if (right > left) {
                const int item = strip.ItemAt(left);
                QCOMPARE(model.Start(item),
                         model.Start(model.ItemOf(model.index(static_cast<int>(band), 0))));
            }
        }
        QCOMPARE(previous, width);
        // The data chunk takes what is left, in proportion.
        const auto [dataLeft, dataRight] = strip.BandOf(3);
        if (dataBytes > 1000 && width >= 100) QVERIFY(dataRight - dataLeft > width * 9 / 10);
    }

    // A filter keeps the entries in its state and the lists around them.
    void filtersKeepEntriesAndTheirLists_data() {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("shown");  // the offsets of the items shown
        QTest::addRow("all") << int(EntryFilter::All) << "0 12 36 60 72 90 104 116 130 141";
        QTest::addRow("damaged") << int(EntryFilter::Damaged) << "130 141";
        QTest::addRow("not listed") << int(EntryFilter::NotListed) << "36 104 116 130";
        QTest::addRow("with findings") << int(EntryFilter::WithFindings) << "60 72 130";
    }
    void filtersKeepEntriesAndTheirLists() {
        QFETCH(int, filter);
        QFETCH(QString, shown);
        const auto document = Loaded(MixedFile());
        StructureTreeModel model(*document);
        model.SetFindingLevels({{130, 130}, {89, 60}}, {0, 2});
        const std::vector<bool> kept = EntriesShown(model, static_cast<EntryFilter>(filter));
        QStringList offsets;
        for (int item = 0; item < model.ItemCount(); ++item) {
            if (kept[static_cast<std::size_t>(item)]) offsets << QString::number(model.Start(item));
        }
        QCOMPARE(offsets.join(' '), shown);
    }

    // A search reads piece by piece and finds a hit wherever it falls: inside
    // a piece, across two, at either end of the file; backward it finds the
    // last hit before the offset it starts from.
    void searchFindsHitsAcrossPieces_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qulonglong>("at");  // where the pattern is put in a file of 64 'z'
        QTest::addColumn<qulonglong>("from");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<qlonglong>("found");  // -1: none
        QTest::addColumn<qulonglong>("piece");
        QTest::addRow("inside a piece") << "abcd" << 2ULL << 0ULL << true << 2LL << 16ULL;
        QTest::addRow("across two pieces") << "abcd" << 14ULL << 0ULL << true << 14LL << 16ULL;
        QTest::addRow("one byte into the next piece") << "abcd" << 13ULL << 0ULL << true << 13LL << 16ULL;
        QTest::addRow("at a piece's last byte") << "abcd" << 15ULL << 0ULL << true << 15LL << 16ULL;
        QTest::addRow("at a piece's start") << "abcd" << 16ULL << 0ULL << true << 16LL << 16ULL;
        QTest::addRow("at the end") << "abcd" << 60ULL << 0ULL << true << 60LL << 16ULL;
        QTest::addRow("after the start only") << "abcd" << 14ULL << 15ULL << true << -1LL << 16ULL;
        QTest::addRow("from an odd offset, across") << "abcd" << 24ULL << 3ULL << true << 24LL << 7ULL;
        QTest::addRow("pieces shorter than the pattern") << "abcd" << 41ULL << 0ULL << true << 41LL << 2ULL;
        QTest::addRow("hex bytes") << "61 62 63 64" << 30ULL << 0ULL << true << 30LL << 16ULL;
        QTest::addRow("hex with 0x") << "0x61626364" << 30ULL << 0ULL << true << 30LL << 16ULL;
        QTest::addRow("backward across pieces") << "abcd" << 30ULL << 64ULL << false << 30LL << 16ULL;
        QTest::addRow("backward, across a piece's start")
            << "abcd" << 46ULL << 64ULL << false << 46LL << 16ULL;
        QTest::addRow("backward, its bytes past the start")
            << "abcd" << 46ULL << 47ULL << false << 46LL << 16ULL;
        QTest::addRow("backward, starting before the end")
            << "abcd" << 30ULL << 33ULL << false << 30LL << 16ULL;
        QTest::addRow("backward, before it") << "abcd" << 30ULL << 30ULL << false << -1LL << 16ULL;
        QTest::addRow("backward at the start") << "abcd" << 0ULL << 64ULL << false << 0LL << 16ULL;
        QTest::addRow("backward, odd pieces") << "abcd" << 20ULL << 61ULL << false << 20LL << 7ULL;
        QTest::addRow("backward, in the file's last bytes")
            << "abcd" << 60ULL << 64ULL << false << 60LL << 5ULL;
    }
    void searchFindsHitsAcrossPieces() {
        QFETCH(QString, typed);
        QFETCH(qulonglong, at);
        QFETCH(qulonglong, from);
        QFETCH(bool, forward);
        QFETCH(qlonglong, found);
        QFETCH(qulonglong, piece);
        std::string bytes(64, 'z');
        bytes.replace(at, 4, "abcd");
        struct Memory : wavedoc::ByteSource {
            std::string bytes;
            std::string name = "memory";
            std::uint64_t Length() const override { return bytes.size(); }
            std::string Read(std::uint64_t offset, std::uint64_t count) const override {
                return offset < bytes.size() ? bytes.substr(offset, count) : std::string();
            }
            const std::string& DisplayName() const override { return name; }
        } source;
        source.bytes = bytes;
        std::uint64_t pieces = 0;
        const std::optional<SearchHit> hit = FindBytes(source, PatternsFor(typed.toStdString(), false), from,
                                                       forward, piece, [&](std::uint64_t) {
                                                           ++pieces;
                                                           return true;
                                                       });
        QCOMPARE(hit ? static_cast<qlonglong>(hit->offset) : -1LL, found);
        QVERIFY(pieces <= 64 / std::max<qulonglong>(piece, 4) + 1);
        // Cancelled before the first piece: nothing.
        QVERIFY(
            !FindBytes(source, PatternsFor("abcd", false), 0, true, 16, [](std::uint64_t) { return false; }));
    }

    // A search for another thread: it counts the bytes searched, stops when
    // cancelled, and a file that changed before or while it was read gives a
    // sentence naming it rather than a hit.
    void searchOfTheWholeFileSaysWhatBecameOfIt_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("how");  // "", "cancel", "changed" (before), "replaced" (while read)
        QTest::addColumn<QString>("outcome");
        QTest::addRow("found at once") << "AAAA"
                                       << ""
                                       << "hit 0";
        QTest::addRow("not found: all searched") << "0x42"
                                                 << ""
                                                 << "none, 100000 searched";
        QTest::addRow("cancelled") << "0x42"
                                   << "cancel"
                                   << "cancelled";
        QTest::addRow("changed before") << "0x42"
                                        << "changed"
                                        << "problem";
        QTest::addRow("replaced while read") << "AAAA"
                                             << "replaced"
                                             << "problem";
    }
    void searchOfTheWholeFileSaysWhatBecameOfIt() {
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(QString, outcome);
        struct Replaced : CountingSource {
            using CountingSource::CountingSource;
            void CheckUnchanged() const override {
                if (replaced)
                    throw wavedoc::FileChangedError("The file \"big.wav\" changed while it was read.");
            }
            bool replaced = false;
        } source(100000);
        source.changed = how == "changed";
        source.replaced = how == "replaced";
        JobControl control;
        control.cancel = how == "cancel";
        const SearchOutcome found =
            SearchFile(source, PatternsFor(typed.toStdString(), false), 0, true, 4096, control);
        QString text = found.hit         ? QStringLiteral("hit %1").arg(found.hit->offset)
                       : found.cancelled ? QStringLiteral("cancelled")
                       : found.problem   ? QStringLiteral("problem")
                                         : QStringLiteral("none, %1 searched").arg(control.done.load());
        QCOMPARE(text, outcome);
        if (found.problem)
            QVERIFY2(found.problem->find("\"big.wav\"") != std::string::npos, found.problem->c_str());
        // Memory is one piece at a time, read once with its overlap.
        QVERIFY(source.bytesRead <= 100000 + 100000 / 4096 * 3 + 3);
    }

    // The runner shared by the search and Save report: one piece of work at
    // a time, what it leaves to do run on the window's thread, and work
    // still running when the window goes cancelled and waited for, what it
    // left to do never run.
    void workRunsOffTheWindowsThread_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("outcome");
        QTest::addRow("ends") << "end"
                              << "done on the window's thread";
        QTest::addRow("a second while busy") << "second"
                                             << "refused, done on the window's thread";
        QTest::addRow("window gone") << "destroy"
                                     << "cancelled, nothing done";
        QTest::addRow("replaced") << "replace"
                                  << "cancelled, done on the window's thread";
    }
    void workRunsOffTheWindowsThread() {
        QFETCH(QString, how);
        QFETCH(QString, outcome);
        auto window = std::make_unique<QWidget>();
        auto* runner = new WorkRunner(window.get());
        std::atomic<bool> release{false};
        std::atomic<bool> sawCancel{false};
        QStringList said;
        const auto job = [&](bool waits) {
            return WorkRunner::Job{
                .title = "Test",
                .total = 10,
                .progressText = [](std::uint64_t done) { return QString::number(done); },
                .work = [&, waits](JobControl& control) -> std::function<void()> {
                    while (waits && !release.load() && !control.cancel.load()) QThread::msleep(1);
                    if (waits) sawCancel = control.cancel.load();
                    const bool windowThread = QThread::currentThread() == qApp->thread();
                    return [&said, windowThread] {
                        said << (QThread::currentThread() == qApp->thread() && !windowThread
                                     ? "done on the window's thread"
                                     : "done on the wrong thread");
                    };
                },
            };
        };
        QVERIFY(runner->Start(job(true)));
        QVERIFY(runner->Busy());
        if (how == "second") said << (runner->Start(job(false)) ? "started" : "refused");
        if (how == "replace") {
            // The work replaced is waited for, and what it leaves to do is dropped.
            runner->Replace(job(false));
            said << (sawCancel ? "cancelled" : "not cancelled");
        }
        if (how == "destroy") {
            window.reset();  // the runner with it
            said << (sawCancel ? "cancelled" : "not cancelled");
            QCoreApplication::processEvents();
            if (said.size() == 1) said << "nothing done";
        } else {
            release = true;
            QVERIFY(QTest::qWaitFor([runner] { return !runner->Busy(); }));
        }
        QCOMPARE(said.join(", "), outcome);
    }

    // A text is looked for as UTF-8 and as UTF-16 in the file's byte order.
    void searchPatternsForText() {
        const SearchPatterns text = PatternsFor("Hé", false);
        QCOMPARE(text.patterns.size(), std::size_t{2});
        QCOMPARE(text.patterns[1], std::string("H\0\xE9\0", 4));
        QCOMPARE(PatternsFor("Hé", true).patterns[1], std::string("\0H\0\xE9", 4));
        QCOMPARE(PatternsFor("abcd", false).patterns[0], std::string("abcd"));  // no spaces: a text
        QVERIFY(!PatternsFor("", false).problem.empty());
    }

    void bytesComeSixteenALine() {
        const auto document = Loaded(CutFile());
        ByteLinesModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.SetStretch(document->Source(), 12, 24);  // the fmt chunk
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(0, ByteLinesModel::kOffsetColumn).data().toString(), QStringLiteral("12"));
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("66"));  // 'f'
        QCOMPARE(model.index(0, ByteLinesModel::kTextColumn).data().toString(),
                 QStringLiteral("fmt ........D..."));
        QCOMPARE(model.index(1, ByteLinesModel::kOffsetColumn).data().toString(), QStringLiteral("28"));
        QCOMPARE(model.index(1, 8).data().toString(), QStringLiteral("00"));
        QVERIFY(!model.index(1, 9).data().isValid());  // past the stretch
        QCOMPARE(model.IndexOfByte(23), model.index(1, 8));
        QVERIFY(!model.IndexOfByte(24).isValid());
        QCOMPARE(model.FirstByteOf(1, ByteLinesModel::kTextColumn), 16ULL);
        QCOMPARE(model.LastByteOf(1, ByteLinesModel::kTextColumn), 23ULL);
        QCOMPARE(model.Bytes(0, 4), std::optional<std::string>("fmt "));
    }

    // A selection between two cells is the run of bytes between them, line
    // after line, whichever cell comes first; never the rectangle of cells.
    void aRunOfBytesFollowsTheLines_data() {
        QTest::addColumn<int>("fromRow");
        QTest::addColumn<int>("fromColumn");
        QTest::addColumn<int>("toRow");
        QTest::addColumn<int>("toColumn");
        QTest::addColumn<QString>("bytes");  // each range's first and last byte
        QTest::addRow("one byte") << 1 << 3 << 1 << 3 << "18-18";
        QTest::addRow("within a line, backwards") << 0 << 9 << 0 << 2 << "1-8";
        QTest::addRow("down to the left of the start") << 0 << 11 << 2 << 4 << "10-15 16-31 32-35";
        QTest::addRow("up to the right of the start") << 2 << 4 << 0 << 11 << "10-15 16-31 32-35";
        QTest::addRow("two lines") << 0 << 16 << 1 << 1 << "15-15 16-16";
        QTest::addRow("offset and text cells stand for their lines")
            << 1 << ByteLinesModel::kOffsetColumn << 0 << ByteLinesModel::kTextColumn << "0-15 16-31";
        QTest::addRow("into the short last line")
            << 1 << 5 << 3 << ByteLinesModel::kTextColumn << "20-31 32-47 48-49";
    }
    void aRunOfBytesFollowsTheLines() {
        QFETCH(int, fromRow);
        QFETCH(int, fromColumn);
        QFETCH(int, toRow);
        QFETCH(int, toColumn);
        QFETCH(QString, bytes);
        CountingSource source(50);
        ByteLinesModel model;
        model.SetStretch(&source, 100, 50);
        QStringList ranges;
        for (const QItemSelectionRange& range :
             model.Run(model.index(fromRow, fromColumn), model.index(toRow, toColumn))) {
            QVERIFY(range.left() >= 1 && range.right() <= ByteLinesModel::kBytesPerLine);
            ranges << QStringLiteral("%1-%2")
                          .arg(model.FirstByteOf(range.top(), range.left()))
                          .arg(model.LastByteOf(range.bottom(), range.right()));
        }
        QCOMPARE(ranges.join(' '), bytes);
        QVERIFY(source.bytesRead == 0);
    }

    // A huge stretch shows a window of lines, which moves to any byte; the
    // offsets stay the real ones and only the lines shown are read.
    void byteLinesReadOnlyWhatIsShown_data() {
        QTest::addColumn<qulonglong>("length");
        QTest::addColumn<qulonglong>("byte");
        QTest::addColumn<qulonglong>("firstLine");
        QTest::addRow("small: all lines") << 64ULL << 63ULL << 0ULL;
        QTest::addRow("4 GB: the window moves")
            << 0x100000008ULL << 0x80000000ULL << 0x8000000ULL - ByteLinesModel::kMostLines / 4;
        QTest::addRow("4 GB: the last byte")
            << 0x100000008ULL << 0x100000007ULL << 0x10000001ULL - ByteLinesModel::kMostLines;
        QTest::addRow("1 TB: the first byte") << (1ULL << 40) << 0ULL << 0ULL;
        QTest::addRow("1 TB: the last byte")
            << (1ULL << 40) << (1ULL << 40) - 1 << (1ULL << 36) - ByteLinesModel::kMostLines;
    }
    void byteLinesReadOnlyWhatIsShown() {
        QFETCH(qulonglong, length);
        QFETCH(qulonglong, byte);
        QFETCH(qulonglong, firstLine);
        CountingSource source(length);
        ByteLinesModel model;
        model.SetStretch(&source, 0, length);
        QCOMPARE(model.TotalLines(), (length + 15) / 16);
        QCOMPARE(model.rowCount(), int(std::min<qulonglong>(model.TotalLines(), ByteLinesModel::kMostLines)));
        QCOMPARE(source.bytesRead, 0ULL);
        model.Reveal(byte);
        QCOMPARE(model.FirstLineShown(), firstLine);
        const QModelIndex cell = model.IndexOfByte(byte);
        QVERIFY(cell.isValid());
        QCOMPARE(model.FirstByteOf(cell.row(), cell.column()), byte);
        QCOMPARE(cell.siblingAtColumn(ByteLinesModel::kOffsetColumn).data().toString(),
                 QString::number(byte / 16 * 16));
        QCOMPARE(cell.data().toString(), QStringLiteral("41"));
        QVERIFY2(source.bytesRead <= 3 * 4096, qPrintable(QString::number(source.bytesRead)));
    }

    void aFailedReadShowsWhyInsteadOfBytes() {
        CountingSource source(64);
        source.changed = true;
        ByteLinesModel model;
        QSignalSpy failed(&model, &ByteLinesModel::ReadFailed);
        model.SetStretch(&source, 0, 64);
        QVERIFY(!model.index(0, 1).data().isValid());
        QVERIFY(model.Failure().contains("big.wav"));
        QVERIFY(failed.wait(1000));
        QCOMPARE(failed.size(), 1);
        model.index(1, 1).data();  // no second read, no second signal
        QTest::qWait(10);
        QCOMPARE(failed.size(), 1);
    }

    void findingsSortByWeightAndNumber() {
        auto findings = std::make_shared<wavecheck::Findings>();
        findings->shown = {MakeFinding(wavecheck::Level::Note, 100, "c"),
                           MakeFinding(wavecheck::Level::Error, 20, "a"),
                           MakeFinding(wavecheck::Level::Warning, 3, "b")};
        FindingsModel model(findings);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSortFilterProxyModel sorted;
        sorted.setSourceModel(&model);
        sorted.setSortRole(FindingsModel::SortRole);
        const auto column = [&](int which) {
            QStringList cells;
            for (int row = 0; row < sorted.rowCount(); ++row)
                cells << sorted.index(row, which).data().toString();
            return cells;
        };
        sorted.sort(FindingsModel::LevelColumn);
        QCOMPARE(column(FindingsModel::LevelColumn), (QStringList{"error", "warning", "note"}));
        sorted.sort(FindingsModel::OffsetColumn);
        QCOMPARE(column(FindingsModel::OffsetColumn), (QStringList{"3", "20", "100"}));
        QVERIFY(!model.index(0, FindingsModel::LevelColumn).data(Qt::DecorationRole).isNull());
        QCOMPARE(model.RowText(0), QStringLiteral("note\t100\tdata\tc\tA sentence."));
    }

    // The window shows the main window's analysis only while it is of the
    // same file, unchanged.
    void analysisToShow_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("shared");
        QTest::addRow("same file") << "" << true;
        QTest::addRow("other path") << "path" << false;
        QTest::addRow("rewritten") << "rewrite" << false;
    }
    void analysisToShow() {
        QFETCH(QString, change);
        QFETCH(bool, shared);
        const std::string path = scratch_.File("shown.wav", CutFile());
        const std::string other = scratch_.File("other.wav", CutFile());
        const report::Analysis analysed = report::Analyse(path);
        QVERIFY(analysed.Loaded());
        if (change == "rewrite") {
            QTest::qWait(20);  // a new modification time however coarse the clock
            scratch_.File("shown.wav", MixedFile());
        }
        const report::Analysis shown = AnalysisToShow(change == "path" ? other : path, analysed);
        QVERIFY(shown.Loaded());
        QCOMPARE(shown.document == analysed.document, shared);
        QCOMPARE(shown.findings == analysed.findings, shared);
        if (change == "rewrite") QCOMPARE(shown.document->Structure().entries.size(), std::size_t(9));
    }

    // An RF64 file, which the chunk list refuses, opens: a chunk's size of
    // 0xFFFFFFFF gives way to the size ds64 holds, marked as from ds64, and
    // so does the RIFF size of the file header.
    void rf64IsMapped() {
        const std::string ds64 = Chunk("ds64", U32(80) + U32(0) + U32(8) + U32(0) + U32(4) + U32(0) + U32(0));
        const std::string rf64 = "RF64" + U32(0xFFFFFFFF) + "WAVE" + ds64 +
                                 Chunk("fmt ", PcmFormat(1, 8000, 16)) + "data" + U32(0xFFFFFFFF) +
                                 std::string(8, '\0');
        const report::Analysis analysis = report::Analyse(scratch_.File("big.wav", rf64));
        QVERIFY(analysis.Loaded());
        StructureTreeModel model(*analysis.document);
        QStringList lines;
        AddTreeLines(model, {}, {}, lines);
        QCOMPARE(lines, (QStringList{"0 | RF64 | 80 (ds64) | 80 | file header",
                                     "12 | ds64 | 28 | 28 | type not listed",
                                     "48 | fmt  | 16 | 16 | not listed: RIFF files only",
                                     "72 | data | 8 (ds64) | 8 | not listed: RIFF files only"}));
        QVERIFY(model.index(3, 2).data(Qt::ToolTipRole).toString().contains(QStringLiteral("8 bytes")));
        QCOMPARE(analysis.findings->Total(), std::uint64_t{0});
    }

    void refusedFileNamesItself() {
        const std::string path = scratch_.File("text.wav", "hello, world");
        const report::Analysis refused = report::Analyse(path);
        QVERIFY(!refused.Loaded());
        QCOMPARE(refused.status, std::int16_t(wavedoc::LoadNotRiff));
        const report::RefusalMessage message = report::RefusalFor(refused.status, refused.error);
        QCOMPARE(message.text, std::string("Not a wav file (RIFF tag)"));
        QVERIFY2(message.details.find("text.wav") != std::string::npos, message.details.c_str());
    }

    // The saved report is byte for byte what a run of ondulo-dump over the
    // file writes.
    // An RF64 file, which the chunk list refuses, is reported all the same.
    void savedReportIsOnduloDumpsOutput_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("json");
        QTest::addColumn<bool>("rf64");
        QTest::addRow("text") << "report.txt" << false << false;
        QTest::addRow("JSON") << "report.json" << true << false;
        QTest::addRow("JSON, capitals") << "REPORT.JSON" << true << false;
        QTest::addRow("no extension") << "report" << false << false;
        QTest::addRow("text, RF64") << "report.txt" << false << true;
        QTest::addRow("JSON, RF64") << "report.json" << true << true;
    }
    void savedReportIsOnduloDumpsOutput() {
        QFETCH(QString, name);
        QFETCH(bool, json);
        QFETCH(bool, rf64);
        const std::string path =
            rf64 ? scratch_.File("big.wav", "RF64" + RiffFile(kFmt + Chunk("data", "abcd")).substr(4))
                 : scratch_.File("mixed.wav", MixedFile());
        DumpOptions options;
        options.structure = !json;
        options.check = !json;  // the text report carries the findings, as --structure --check prints them
        options.json = json;
        options.jobs = 1;
        options.files = {path};
        std::ostringstream out;
        std::ostringstream errors;
        QVERIFY(ReportCollection(options, {out, errors}) <= 1);  // 1: the file has findings
        QVERIFY(!out.str().empty());

        const std::string destination = scratch_.Path(name.toStdString());
        const std::optional<std::string> problem = SaveReport(path, destination);
        QVERIFY2(!problem, problem ? problem->c_str() : "");
        QCOMPARE(ReadBytes(destination), out.str());
    }

    // Whatever stops a save, the report that was there stays whole and no
    // temporary file is left beside it; a save that succeeds keeps the old
    // report's permissions.
    void interruptedSaveLeavesTheOldReportWhole_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("saved");
        QTest::addRow("cancelled") << "cancel" << false;
        QTest::addRow("file size limit reached") << "limit" << false;
        QTest::addRow("whole, over the old one") << "none" << true;
    }
    void interruptedSaveLeavesTheOldReportWhole() {
        QFETCH(QString, how);
        QFETCH(bool, saved);
        const std::string oldReport = "{\"files\": [\"the report saved before\"]}\n";
        const std::string destination = scratch_.File("old.json", oldReport);
        QCOMPARE(::chmod(destination.c_str(), 0640), 0);
        const report::Analysis analysis = report::Analyse(scratch_.File("mixed.wav", MixedFile()));
        SaveControl control;
        control.cancel = how == "cancel";
        SaveOutcome outcome;
        if (how == "limit") {
            // The disk takes 100 bytes of the new report and then refuses more.
            struct rlimit before {};
            QCOMPARE(::getrlimit(RLIMIT_FSIZE, &before), 0);
            struct rlimit small = before;
            small.rlim_cur = 100;
            const sighandler_t oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
            outcome = SaveReport(analysis, destination, &control);
            ::setrlimit(RLIMIT_FSIZE, &before);
            std::signal(SIGXFSZ, oldHandler);
            QVERIFY(outcome.problem);
            QVERIFY2(outcome.problem->find(destination) != std::string::npos, outcome.problem->c_str());
        } else {
            outcome = SaveReport(analysis, destination, &control);
            QVERIFY2(!outcome.problem, outcome.problem ? outcome.problem->c_str() : "");
        }
        QCOMPARE(outcome.cancelled, how == "cancel");
        const std::string now = ReadBytes(destination);
        if (saved) {
            QVERIFY2(now.rfind("{\"files\": [", 0) == 0 && now.find("mixed.wav") != std::string::npos,
                     now.c_str());
        } else {
            QCOMPARE(now, oldReport);
        }
        struct stat status {};
        QCOMPARE(::stat(destination.c_str(), &status), 0);
        QCOMPARE(status.st_mode & 0777, 0640u);
        QStringList temporary;
        for (const auto& entry : std::filesystem::directory_iterator(scratch_.Dir())) {
            const QString name = QString::fromStdString(entry.path().filename().string());
            if (name.startsWith(".old.json")) temporary << name;
        }
        QCOMPARE(temporary, QStringList());
    }

    void reportThatCannotBeWrittenNamesTheFile() {
        const std::string path = scratch_.File("cut.wav", CutFile());
        const std::string destination = scratch_.Path("missing-folder/report.txt");
        const std::optional<std::string> problem = SaveReport(path, destination);
        QVERIFY(problem);
        QVERIFY2(problem->find(destination) != std::string::npos, problem->c_str());
        // A file that cannot be read any more has no text report to save.
        const std::optional<std::string> gone = SaveReport(scratch_.Path("gone.wav"), scratch_.Path("r.txt"));
        QVERIFY(gone && gone->find("gone.wav") != std::string::npos);
        QVERIFY(ReadBytes(scratch_.Path("r.txt")).empty());
    }
};

QTEST_MAIN(StructurePartsTest)
#include "tst_structure_parts.moc"
