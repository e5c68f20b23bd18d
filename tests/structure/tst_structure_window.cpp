#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "sound/sample_decoder.h"
#include "structure_test_files.h"
#include "support/fake_prompts.h"
#include "support/grid_rows.h"
#include "support/scratch_dir.h"
#include "support/wav_builder.h"
#include "ui/main/frm_main.h"
#include "ui/main/modprg.h"
#include "ui/sound/audio_output.h"
#include "ui/sound/seam_view.h"
#include "ui/sound/sound_player.h"
#include "ui/sound/sound_view.h"
#include "ui/sound/waveform_canvas.h"
#include "ui/structure/byte_kinds.h"
#include "ui/structure/byte_lines_model.h"
#include "ui/structure/frm_structure.h"
#include "ui/widgets/work_runner.h"

using namespace wavtest;
using structuretest::kFmt;
using structuretest::MixedFile;

namespace {

const std::string kData = Chunk("data", std::string(4, '\0'));

// An audio output that records what it pulls, as far as the test asks, in
// the format a device would be asked for: float, the file's rate, as many
// channels as it takes.
class RecordingOutput : public AudioOutput {
public:
    bool present = true;
    int mostChannels = 2;
    bool stopped = false;
    qint64 pulledFrames = 0;

    std::optional<QAudioFormat> FormatFor(int channels, int sampleRate) const override {
        if (!present) return std::nullopt;
        QAudioFormat format;
        format.setSampleRate(sampleRate);
        format.setChannelCount(std::min(channels, mostChannels));
        format.setSampleFormat(QAudioFormat::Float);
        return format;
    }
    void Start(QIODevice* source, const QAudioFormat& format, std::function<void()> ended) override {
        source_ = source;
        format_ = format;
        ended_ = std::move(ended);
    }
    void Stop() override { stopped = true; }
    qint64 PlayedMicroseconds() const override { return pulledFrames * 1000000 / format_.sampleRate(); }

    // Pulls up to `frames` frames, in reads of an odd size as a device
    // makes them; an empty read ends the sound, as it does a device's.
    std::vector<float> Pull(std::size_t frames) {
        const auto frameBytes = static_cast<std::size_t>(format_.bytesPerFrame());
        std::vector<float> samples(frames * static_cast<std::size_t>(format_.channelCount()));
        std::size_t got = 0;
        while (got < frames) {
            const qint64 read =
                source_->read(reinterpret_cast<char*>(samples.data()) + got * frameBytes,
                              static_cast<qint64>(std::min<std::size_t>(frames - got, 77) * frameBytes));
            if (read <= 0) {
                ended_();
                break;
            }
            got += static_cast<std::size_t>(read) / frameBytes;
        }
        pulledFrames += static_cast<qint64>(got);
        samples.resize(got * static_cast<std::size_t>(format_.channelCount()));
        return samples;
    }

private:
    QIODevice* source_ = nullptr;
    QAudioFormat format_;
    std::function<void()> ended_;
};

// A stereo 16-bit file at 8 kHz of 1000 frames, each sample its own value;
// a cue point at frame 100, a region over frames 200 to 249, a sampler loop
// over frames 300 to 399.
struct PlayedFile {
    static constexpr std::uint64_t kFrames = 1000;
    std::string samples;

    PlayedFile() {
        for (std::uint64_t frame = 0; frame < kFrames; ++frame) {
            for (std::uint64_t channel = 0; channel < 2; ++channel)
                samples += U16(static_cast<std::uint16_t>(frame * 61 + channel * 30001));
        }
    }
    std::string Bytes() const {
        const std::string cue =
            Chunk("cue ", CuePayload({{1, 0, "data", 0, 0, 100}, {2, 0, "data", 0, 0, 200}}));
        const std::string adtl = Chunk(
            "LIST", ListPayload("adtl", Chunk("ltxt", LtxtPayload({2, 50, "rgn ", 0, 0, 0, 0, "Verse"}))));
        const std::string smpl = Chunk("smpl", SmplPayload({}, {{0, 0, 300, 399}}));
        return RiffFile(Chunk("fmt ", PcmFormat(2, 8000, 16)) + Chunk("data", samples) + cue + adtl + smpl);
    }
    // The decoded samples of frames [from, to), of the first `channels` channels.
    std::vector<float> Decoded(std::uint64_t from, std::uint64_t to, unsigned channels) const {
        sound::SampleFormat format;
        format.channels = 2;
        format.sampleRate = 8000;
        std::vector<float> both(static_cast<std::size_t>(to - from) * 2);
        sound::DecodeFrames(format, reinterpret_cast<const unsigned char*>(samples.data()) + from * 4,
                            static_cast<std::size_t>(to - from), both.data());
        std::vector<float> kept;
        for (std::size_t i = 0; i < both.size(); ++i) {
            if (i % 2 < channels) kept.push_back(both[i]);
        }
        return kept;
    }
};

using FrameSpans = QList<QPair<qint64, qint64>>;

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
    // Waits until the window's search or save has ended and its result is shown.
    static bool WorkEnded(frmStructure* structure) {
        const auto* runner = structure->findChild<WorkRunner*>("workRunner");
        return runner != nullptr && QTest::qWaitFor([runner] { return !runner->Busy(); });
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
        // One view of the whole file: its lines start at multiples of 16.
        QCOMPARE(bytes->currentIndex().siblingAtColumn(0).data().toString(), QString::number(0xC0000000ULL));
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
        QCOMPARE(ByteSelection(structure), QStringLiteral("Selected: 1 byte at offset 0 (0x0)."));
        QCOMPARE(CurrentEntry(structure), QStringLiteral("0 RIFF"));  // the byte chose its entry
        Key(structure, Qt::Key_Up);
        QCOMPARE(ByteSelection(structure), QStringLiteral("Selected: 1 byte at offset 0 (0x0)."));

        prompts_->nextAnswer = QStringLiteral("12 bytes");
        Key(structure, Qt::Key_G, Qt::ControlModifier);
        prompts_->nextAnswer = QStringLiteral("5000000000");
        Key(structure, Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(prompts_->messages.size(), 2);
        QVERIFY2(prompts_->messages[0].contains("is not an offset"), qPrintable(prompts_->messages[0]));
        QVERIFY2(prompts_->messages[1].contains("past the end of the file, which holds 4,294,967,292 bytes"),
                 qPrintable(prompts_->messages[1]));
        QCOMPARE(CurrentEntry(structure), QStringLiteral("0 RIFF"));  // where the bytes were left
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

        // Its bytes, marked: "JUNK", the size 3 and "abc", no pad byte.
        auto* bytes = Find<QTableView>(structure, "tvBytes");
        QCOMPARE(qobject_cast<ByteLinesModel*>(bytes->model())->Marked(), (ByteLinesModel::Span{130, 140}));
        bytes->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 10; ++i) Key(structure, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(ByteSelection(structure),
                 QStringLiteral("Selected: 11 bytes from offset 130 (0x82) to 140 (0x8C)."));
        Key(structure, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("4A 55 4E 4B 03 00 00 00 61 62 63"));
        QCOMPARE(ByteSelection(structure), QStringLiteral("Copied 11 bytes as hex."));
        Key(structure, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("JUNK....abc"));
    }

    // The sound view measures the window's analysis in the background and
    // shows the figures and the claims they belie; a click on a marker
    // selects its record, as a row and as bytes; the keys zoom.
    void soundViewMeasuresAndLeadsToMarkers() {
        // 1 s of 16-bit mono at 48 kHz, full scale at frame 100, silence
        // elsewhere; a cue point at frame 24000 and a loop over its second
        // half, and one past the end; a PEAK chunk that puts the peak at 0.5
        // (0x3F000000) in frame 0.
        std::string samples(96000, '\0');
        samples[200] = '\xFF';
        samples[201] = '\x7F';
        const std::string head = Chunk("fmt ", PcmFormat(1, 48000, 16)) + Chunk("data", samples);
        const std::string cue =
            Chunk("cue ", CuePayload({{1, 0, "data", 0, 0, 24000}, {2, 0, "data", 0, 0, 60000}}));
        const std::string smpl = Chunk("smpl", SmplPayload({}, {{0, 0, 24000, 47999}}));
        const std::string peak = Chunk("PEAK", U32(1) + U32(0) + U32(0x3F000000) + U32(0));
        frmStructure* structure = Open(Write("sound.wav", RiffFile(head + cue + smpl + peak)));
        QVERIFY(structure != nullptr);
        auto* view = Find<SoundView>(structure, "soundView");
        QVERIFY(
            QTest::qWaitFor([view] { return !view->Measuring() && view->Figures().contains("Channel 1"); }));
        QVERIFY2(view->Figures().contains("Channel 1: peak 0.00 dBFS at frame 100, 1 clipped"),
                 qPrintable(view->Figures()));
        QVERIFY2(view->Figures().contains("Integrated loudness: -"), qPrintable(view->Figures()));
        QVERIFY2(view->Figures().contains("1 finding of the sound, in the findings list."),
                 qPrintable(view->Figures()));
        // That finding joins the others in the list, and leads to its record's bytes.
        auto* findings = Find<QTableView>(structure, "tvFindings");
        int mismatch = -1;
        for (int row = 0; row < findings->model()->rowCount(); ++row) {
            if (findings->model()->index(row, 3).data().toString() == "peak-mismatch") mismatch = row;
        }
        QVERIFY(mismatch >= 0);
        const std::uint64_t peakAt = 12 + head.size() + cue.size() + smpl.size();
        QCOMPARE(
            findings->model()->index(mismatch, 4).data().toString(),
            "The \"PEAK\" chunk at offset " + QString::number(peakAt) +
                " gives the peak of channel 1 as 0.5 at frame 0, but the audio's peak is 0.999969, first at "
                "frame 100.");
        findings->setFocus(Qt::TabFocusReason);
        for (int row = 0; row < mismatch; ++row) Key(structure, Qt::Key_Down);
        QCOMPARE(CurrentEntry(structure), QString::number(peakAt) + " PEAK");
        QVERIFY2(Find<QLabel>(structure, "lbFindingSummary")->text().contains("2 warnings"),
                 qPrintable(Find<QLabel>(structure, "lbFindingSummary")->text()));
        // A report saved now holds what the window shows: the measured sound
        // and the finding it gave.
        prompts_->nextSaveChoice = QString::fromStdString(scratch_.Path("sound.txt"));
        Key(structure, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(WorkEnded(structure));
        const std::string saved = ReadBytes(scratch_.Path("sound.txt"));
        QVERIFY2(saved.find("\nmeasured:\n") != std::string::npos, saved.c_str());
        QVERIFY2(saved.find("\tpeak-mismatch\t") != std::string::npos, saved.c_str());

        WaveformCanvas* canvas = view->Canvas();
        const std::uint64_t cueAt = 12 + head.size();
        const int x = canvas->width() / 2;
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(x, canvas->height() / 2));
        // The cue point's record, its heading row and its 24 bytes.
        QCOMPARE(CurrentEntry(structure), QString::number(cueAt) + " cue ");
        const QModelIndex record = Find<QTableView>(structure, "dbgStructureRows")->currentIndex();
        QCOMPARE(record.siblingAtColumn(0).data().toString().trimmed(), QStringLiteral("Cue Point #1"));
        QCOMPARE(ByteSelection(structure),
                 QStringLiteral("Selected: 24 bytes from offset %1 (0x%2) to %3 (0x%4).")
                     .arg(cueAt + 12)
                     .arg(QString::number(cueAt + 12, 16).toUpper())
                     .arg(cueAt + 35)
                     .arg(QString::number(cueAt + 35, 16).toUpper()));
        // The loop's bracket lies in the row under the channels.
        const sound::Marker* loop = canvas->MarkerAt(QPoint(x + canvas->width() / 4, canvas->height() - 20));
        QVERIFY(loop != nullptr);
        QCOMPARE(QString::fromStdString(loop->label), QStringLiteral("Loop 1: Forward"));
        // A click on it shows its seam: silence joined to silence, no step.
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(x + canvas->width() / 4, canvas->height() - 20));
        QVERIFY(view->Seam()->isVisible());
        QCOMPARE(
            view->Seam()->Caption(),
            QStringLiteral(
                "Loop 1: Forward, its end joined to its start: the step at the joint is channel 1 none."));

        // The cue point past the end is drawn at the end of the audio.
        const sound::Marker* past = canvas->MarkerAt(QPoint(canvas->width() - 1, canvas->height() / 2));
        QVERIFY(past != nullptr);
        QCOMPARE(past->start, std::uint64_t{60000});
        // Ruler times are rounded, not cut.
        QCOMPARE(TimeText(47999, 48000), QStringLiteral("0:00:01.000"));
        QCOMPARE(TimeText(47975, 48000), QStringLiteral("0:00:00.999"));

        canvas->setFocus(Qt::OtherFocusReason);
        Key(structure, Qt::Key_Plus);
        QVERIFY(canvas->ViewFrames() < 48000);
        // Down to single samples.
        for (int i = 0; i < 40; ++i) Key(structure, Qt::Key_Plus);
        QCOMPARE(canvas->ViewFrames(), std::uint64_t{4});
        Key(structure, Qt::Key_0);
        QCOMPARE(canvas->ViewFrames(), std::uint64_t{48000});
        // Ctrl+U hides the view and shows it again.
        Key(structure, Qt::Key_U, Qt::ControlModifier);
        QVERIFY(!view->isVisible());
        Key(structure, Qt::Key_U, Qt::ControlModifier);
        QVERIFY(view->isVisible());
    }

    // Space plays what is selected: a cue point from its frame to the end, a
    // region its span, a sampler loop from the start through its end and
    // then the loop again and again, the cursor's frame to the end; the
    // samples given to the output are the decoded ones (the first channel
    // only to an output of one). It ends at the end, or with Space or Escape.
    void spacePlaysWhatIsSelected_data() {
        QTest::addColumn<qint64>("clickFrame");
        QTest::addColumn<bool>("inLoopRow");
        QTest::addColumn<int>("outputChannels");
        QTest::addColumn<FrameSpans>("played");  // a start of -1: the cursor
        QTest::addColumn<bool>("ends");
        QTest::addColumn<int>("stopKey");
        QTest::addColumn<qint64>("lineAtLast");
        QTest::newRow("cue point to the end, one channel")
            << qint64{100} << false << 1 << FrameSpans{{100, 1000}} << true << 0 << qint64{-1};
        QTest::newRow("region") << qint64{225} << false << 2 << FrameSpans{{200, 250}} << true << 0
                                << qint64{-1};
        QTest::newRow("loop over and over, Escape stops")
            << qint64{350} << true << 2 << FrameSpans{{0, 400}, {300, 400}, {300, 400}, {300, 350}} << false
            << int{Qt::Key_Escape} << qint64{350};
        QTest::newRow("cursor, Space stops") << qint64{700} << false << 2 << FrameSpans{{-1, 900}} << false
                                             << int{Qt::Key_Space} << qint64{-1};
    }
    void spacePlaysWhatIsSelected() {
        QFETCH(qint64, clickFrame);
        QFETCH(bool, inLoopRow);
        QFETCH(int, outputChannels);
        QFETCH(FrameSpans, played);
        QFETCH(bool, ends);
        QFETCH(int, stopKey);
        QFETCH(qint64, lineAtLast);
        const PlayedFile file;
        frmStructure* structure = Open(Write("played.wav", file.Bytes()));
        QVERIFY(structure != nullptr);
        auto* view = Find<SoundView>(structure, "soundView");
        auto recording = std::make_unique<RecordingOutput>();
        RecordingOutput* output = recording.get();
        output->mostChannels = outputChannels;
        view->Player()->SetOutput(std::move(recording));
        WaveformCanvas* canvas = view->Canvas();
        const int x = static_cast<int>(clickFrame * canvas->width() / qint64{1000});
        QTest::mouseClick(canvas, Qt::LeftButton, {},
                          QPoint(x, inLoopRow ? canvas->height() - 20 : canvas->height() / 2));
        canvas->setFocus(Qt::OtherFocusReason);
        Key(structure, Qt::Key_Space);
        QVERIFY2(view->PlaybackText().startsWith("Playing: "), qPrintable(view->PlaybackText()));
        QVERIFY(canvas->PlayLine().has_value());

        std::vector<float> expected;
        for (const auto& [from, to] : played) {
            const auto first = from < 0 ? canvas->Cursor() : static_cast<std::uint64_t>(from);
            const std::vector<float> span =
                file.Decoded(first, static_cast<std::uint64_t>(to), static_cast<unsigned>(outputChannels));
            expected.insert(expected.end(), span.begin(), span.end());
        }
        const std::size_t frames = expected.size() / static_cast<std::size_t>(outputChannels);
        // One frame more than the plan holds, when it ends.
        const std::vector<float> got = output->Pull(frames + (ends ? 1 : 0));
        QCOMPARE(got.size(), expected.size());
        QVERIFY(got == expected);
        if (ends) {
            QTRY_VERIFY(!view->Player()->Playing());
        } else {
            const std::uint64_t line =
                lineAtLast >= 0 ? static_cast<std::uint64_t>(lineAtLast) : canvas->Cursor() + frames;
            QTRY_COMPARE(canvas->PlayLine().value_or(0), line);
            Key(structure, static_cast<Qt::Key>(stopKey));
            QVERIFY(!view->Player()->Playing());
            QVERIFY(output->stopped);
            // Escape stopped the sound, and left the window open.
            QVERIFY(structure->isVisible());
        }
        QVERIFY(!canvas->PlayLine().has_value());
        QCOMPARE(view->PlaybackText(), QString());
    }

    // Without an audio output, or with audio Ondulo does not decode, Space
    // says so in the view and plays nothing.
    void spaceSaysWhyNothingPlays_data() {
        QTest::addColumn<bool>("decodable");
        QTest::addColumn<QString>("said");
        QTest::newRow("no audio output")
            << true
            << QStringLiteral("Not played: There is no audio output on this machine to play the sound on.");
        QTest::newRow("GSM 6.10") << false
                                  << QStringLiteral(
                                         "Not played: The sound of \"%1\" is not measured: its "
                                         "audio is GSM 6.10, which Ondulo does not decode.");
    }
    void spaceSaysWhyNothingPlays() {
        QFETCH(bool, decodable);
        QFETCH(QString, said);
        std::string bytes = PlayedFile().Bytes();
        if (!decodable) bytes[20] = '\x31';  // the fmt chunk's format code
        const QString path = Write("unheard.wav", bytes);
        frmStructure* structure = Open(path);
        QVERIFY(structure != nullptr);
        auto* view = Find<SoundView>(structure, "soundView");
        QCOMPARE(view->Player() != nullptr, decodable);
        if (view->Player() != nullptr) {
            auto recording = std::make_unique<RecordingOutput>();
            recording->present = false;
            view->Player()->SetOutput(std::move(recording));
        }
        view->Canvas()->setFocus(Qt::OtherFocusReason);
        Key(structure, Qt::Key_Space);
        QCOMPARE(view->PlaybackText(), decodable ? said : said.arg(path));
        QVERIFY(!view->Canvas()->PlayLine().has_value());
    }

    // A file cut short while it plays stops the sound and says why, naming it.
    void fileCutWhilePlayingStopsAndSaysWhy() {
        // Longer than the bytes one read keeps at hand: 20000 stereo frames.
        const QString path = Write("cut.wav", RiffFile(Chunk("fmt ", PcmFormat(2, 8000, 16)) +
                                                       Chunk("data", std::string(80000, '\x10'))));
        frmStructure* structure = Open(path);
        QVERIFY(structure != nullptr);
        auto* view = Find<SoundView>(structure, "soundView");
        auto recording = std::make_unique<RecordingOutput>();
        RecordingOutput* output = recording.get();
        view->Player()->SetOutput(std::move(recording));
        view->Canvas()->setFocus(Qt::OtherFocusReason);
        Key(structure, Qt::Key_Space);
        QCOMPARE(output->Pull(10).size(), std::size_t{20});
        std::filesystem::resize_file(path.toStdString(), 100);
        QVERIFY(output->Pull(20000).size() < 40000);
        QTRY_VERIFY(!view->Player()->Playing());
        QVERIFY2(view->PlaybackText().startsWith("Stopped: ") && view->PlaybackText().contains(path),
                 qPrintable(view->PlaybackText()));
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
        QVERIFY(structure->GoToOffset(60));  // the adtl list: 44 bytes, over three lines
        auto* bytes = Find<QTableView>(structure, "tvBytes");
        bytes->setFocus(Qt::TabFocusReason);
        const auto cell = [bytes](int row, int column) { return bytes->model()->index(row, column); };
        bytes->selectionModel()->setCurrentIndex(cell(4, 7), QItemSelectionModel::ClearAndSelect);
        Key(structure, Qt::Key_Down, Qt::ShiftModifier);
        Key(structure, Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(ByteSelection(structure),
                 QStringLiteral("Selected: 16 bytes from offset 70 (0x46) to 85 (0x55)."));
        QCOMPARE(bytes->selectionModel()->selectedIndexes().size(), 16);
        Key(structure, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("tllabl........In"));

        const QPoint from = bytes->visualRect(cell(5, 16)).center();
        const QPoint to = bytes->visualRect(cell(4, 7)).center();
        QTest::mousePress(bytes->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(bytes->viewport(), to);
        QTest::mouseRelease(bytes->viewport(), Qt::LeftButton, {}, to);
        QCOMPARE(ByteSelection(structure),
                 QStringLiteral("Selected: 26 bytes from offset 70 (0x46) to 95 (0x5F)."));
        QCOMPARE(bytes->selectionModel()->selectedIndexes().size(), 26);
    }

    // Selection goes both ways: a field row marks its bytes, a heading its
    // record, a finding the record or entry it is about; a byte clicked
    // selects the deepest entry and the field row that hold it.
    void selectionGoesBothWays() {
        // Entry: selected in the tree (target: a row it shows); Search: the
        // target found, then the entry selected in the tree; CtrlEnd: the
        // byte gone to, then Ctrl+End.
        enum class Act { Field, Byte, Finding, Entry, Search, CtrlEnd };
        struct Case {
            const char* what;
            const char* file;
            Act act;
            QString target;  // a row's label, a finding's code
            std::uint64_t byte;
            QString entry;  // the tree's current entry after it
            QString row;    // the current field row after it, trimmed; empty for none
            std::uint64_t first;
            std::uint64_t last;
            QString line;  // what the line under the bytes says after it; empty for anything
        };
        std::vector<CuePointRecord> points{{1, 10}, {2, 20}};
        const std::string cues = RiffFile(kFmt + Chunk("cue ", CuePayload(points)) + kData);
        std::vector<CuePointRecord> many;
        for (std::uint32_t i = 1; i <= 2000; ++i) many.push_back({i, i * 10});
        // Records far down a long list are made only when they are shown.
        const std::string manyCues = RiffFile(kFmt + Chunk("cue ", CuePayload(many)) + kData);
        // fmt at 12, cue at 36, the list at 96 with its label at 108, data at 126.
        const std::string labelled =
            RiffFile(kFmt + Chunk("cue ", CuePayload(points)) +
                     Chunk("LIST", ListPayload("adtl", Chunk("labl", LabelPayload(1, "Intro")))) + kData);
        const std::map<std::string, std::string> files{
            {"mixed", MixedFile()}, {"cues", cues}, {"many cues", manyCues}, {"labelled", labelled}};
        const Case kCases[] = {
            {"field to bytes", "mixed", Act::Field, "Sample rate", 12, "12 fmt ", "Sample rate", 24, 27, ""},
            {"16-bit field", "mixed", Act::Field, "Bits per sample", 12, "12 fmt ", "Bits per sample", 34, 35,
             ""},
            {"list text", "mixed", Act::Field, "Label text", 60, "60 LIST (adtl)", "Label text", 84, 88, ""},
            {"heading to record", "cues", Act::Field, "Cue Point #2", 36, "36 cue ", "Cue Point #2", 72, 95,
             ""},
            {"byte to field", "mixed", Act::Byte, "", 26, "12 fmt ", "Sample rate", 24, 27, ""},
            {"byte in a record", "cues", Act::Byte, "", 85, "36 cue ", "Chunk start", 84, 87, ""},
            {"heading far down a long list", "many cues", Act::Field, "Cue Point #1500", 36, "36 cue ",
             "Cue Point #1500", 36024, 36047, ""},
            {"byte far down a long list", "many cues", Act::Byte, "", 36037, "36 cue ", "Chunk start", 36036,
             36039, ""},
            {"byte to a field of another entry", "mixed", Act::Byte, "", 46, "36 fmt ", "Number of channels",
             46, 47, ""},
            {"header byte to its entry", "mixed", Act::Byte, "", 131, "130 JUNK", "", 130, 140, ""},
            {"finding to its entry", "mixed", Act::Finding, "pad-missing", 0, "130 JUNK", "", 130, 140, ""},
            {"finding on a later chunk", "mixed", Act::Finding, "duplicate", 0, "36 fmt ", "", 36, 59, ""},
            {"a label of a list shows its rows", "labelled", Act::Entry, "Label text", 108, "108 labl", "",
             108, 125, "No bytes selected. The entry covers 18 bytes from offset 108 (0x6C)."},
            {"an entry after a search's hit", "labelled", Act::Search, "Intro", 12, "12 fmt ", "", 12, 35,
             "No bytes selected. The entry covers 24 bytes from offset 12 (0xC)."},
            {"Ctrl+End in an entry", "labelled", Act::CtrlEnd, "", 20, "126 data", "Data", 134, 137,
             "Selected: 1 byte at offset 137 (0x89)."},
        };
        for (const Case& c : kCases) {
            frmStructure* structure = Open(Write(std::string(c.file) + ".wav", files.at(c.file)));
            QVERIFY2(structure != nullptr, c.what);
            auto* rows = Find<QTableView>(structure, "dbgStructureRows");
            auto* bytes = Find<QTableView>(structure, "tvBytes");
            auto* lines = qobject_cast<ByteLinesModel*>(bytes->model());
            if (c.act == Act::Field) {
                QVERIFY2(structure->GoToOffset(c.byte), c.what);
                int found = -1;
                for (int row = 0; row < rows->model()->rowCount(); ++row) {
                    if (rows->model()->index(row, 0).data().toString().trimmed() == c.target) found = row;
                }
                QVERIFY2(found >= 0, c.what);
                rows->selectionModel()->setCurrentIndex(rows->model()->index(found, 0),
                                                        QItemSelectionModel::ClearAndSelect);
            } else if (c.act == Act::Byte) {
                const QModelIndex cell = lines->IndexOfByte(c.byte);
                bytes->scrollTo(cell);
                QTest::mouseClick(bytes->viewport(), Qt::LeftButton, {}, bytes->visualRect(cell).center());
            } else if (c.act == Act::Entry || c.act == Act::Search) {
                if (c.act == Act::Search) {
                    prompts_->nextAnswer = c.target;
                    Key(structure, Qt::Key_F, Qt::ControlModifier);
                    QVERIFY2(WorkEnded(structure), c.what);
                }
                auto* tree = Find<QTreeView>(structure, "tvStructure");
                const QModelIndexList held =
                    tree->model()->match(tree->model()->index(0, 0), Qt::DisplayRole, QString::number(c.byte),
                                         1, Qt::MatchExactly | Qt::MatchRecursive);
                QVERIFY2(held.size() == 1, c.what);
                tree->selectionModel()->setCurrentIndex(
                    held[0], QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                if (c.act == Act::Entry) QVERIFY2(GridRows(*rows).join('\n').contains(c.target), c.what);
            } else if (c.act == Act::CtrlEnd) {
                QVERIFY2(structure->GoToOffset(c.byte), c.what);
                bytes->setFocus(Qt::OtherFocusReason);
                Key(structure, Qt::Key_End, Qt::ControlModifier);
            } else {
                auto* findings = Find<QTableView>(structure, "tvFindings");
                int found = -1;
                for (int row = 0; row < findings->model()->rowCount(); ++row) {
                    if (findings->model()->index(row, 3).data().toString() == c.target) found = row;
                }
                QVERIFY2(found >= 0, c.what);
                findings->selectionModel()->setCurrentIndex(findings->model()->index(found, 0),
                                                            QItemSelectionModel::ClearAndSelect);
            }
            QVERIFY2(CurrentEntry(structure) == c.entry,
                     qPrintable(c.what + (": " + CurrentEntry(structure))));
            const QModelIndex current = rows->selectionModel()->currentIndex();
            const QString row = rows->selectionModel()->hasSelection() && current.isValid()
                                    ? current.siblingAtColumn(0).data().toString().trimmed()
                                    : QString();
            QVERIFY2(row == c.row, qPrintable(c.what + (": " + row)));
            QVERIFY2(lines->Marked() == (ByteLinesModel::Span{c.first, c.last}), c.what);
            QVERIFY2(c.line.isEmpty() || ByteSelection(structure) == c.line,
                     qPrintable(c.what + (": " + ByteSelection(structure))));
            structure->close();
            QTRY_COMPARE(StructureWindows().size(), 0);
        }
    }

    // The window opens within the screen's available area (the offscreen
    // screen is smaller than the window would like) and keeps its width
    // whatever entry is selected; the tree's nesting is in the Chunk column.
    void fitsTheScreenAndKeepsItsWidth() {
        frmStructure* structure = Open(Write("mixed.wav", MixedFile()));
        QVERIFY(structure != nullptr);
        const QSize room = structure->screen()->availableGeometry().size();
        QVERIFY2(structure->frameGeometry().width() <= room.width() &&
                     structure->frameGeometry().height() <= room.height(),
                 qPrintable(QStringLiteral("%1x%2 in %3x%4")
                                .arg(structure->frameGeometry().width())
                                .arg(structure->frameGeometry().height())
                                .arg(room.width())
                                .arg(room.height())));
        const int width = structure->width();
        for (int i = 0; i < 12; ++i) {
            Key(structure, Qt::Key_Down);
            QCoreApplication::processEvents();
            QCOMPARE(structure->width(), width);
        }
        auto* tree = Find<QTreeView>(structure, "tvStructure");
        QCOMPARE(tree->treePosition(), 1);
        Key(structure, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(tree->isExpanded(tree->model()->index(3, 0)), false);
        Key(structure, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(tree->isExpanded(tree->model()->index(3, 0)), true);
        // View, Show entries, Damaged: the JUNK chunk without its pad byte
        // and the data chunk cut short; All shows every entry again.
        structure->findChild<QAction*>("mShow1")->trigger();
        QStringList shown;
        for (int row = 0; row < tree->model()->rowCount(); ++row) {
            if (!tree->isRowHidden(row, {})) shown << tree->model()->index(row, 1).data().toString();
        }
        QCOMPARE(shown, (QStringList{"JUNK", "data"}));
        structure->findChild<QAction*>("mShow0")->trigger();
        QVERIFY(!tree->isRowHidden(1, {}));
    }

    // On a small screen at 200 % (1600x1000 pixels, 800x500 as the window
    // counts) the window still opens within the screen's available area,
    // and selecting any entry never widens it. Run by the test
    // tst_structure_window_small_screen, whose offscreen screen is so.
    void fitsASmallScreenAt200Percent() {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen->devicePixelRatio() != 2.0)
            QSKIP("needs the screen of tests/structure/small_screen_200.json");
        QCOMPARE(screen->geometry().size(), QSize(800, 500));
        // Long texts in the rows and a wide offset column: what could widen it.
        const std::string labels =
            Chunk("LIST", ListPayload("adtl", Chunk("labl", LabelPayload(1, std::string(400, 'W'))) +
                                                  Chunk("note", LabelPayload(1, std::string(2000, 'x')))));
        const std::string info =
            Chunk("LIST", ListPayload("INFO", Chunk("ICMT", std::string(600, 'c') + '\0')));
        frmStructure* structure = Open(Write("small.wav", MixedFile() + labels + info));
        QVERIFY(structure != nullptr);
        QCoreApplication::processEvents();
        const QRect room = structure->screen()->availableGeometry();
        const auto within = [&] {
            const QRect frame = structure->frameGeometry();
            return QStringLiteral("%1,%2 %3x%4 in %5x%6")
                .arg(frame.x())
                .arg(frame.y())
                .arg(frame.width())
                .arg(frame.height())
                .arg(room.width())
                .arg(room.height());
        };
        QVERIFY2(room.contains(structure->frameGeometry()), qPrintable(within()));
        const int width = structure->frameGeometry().width();
        auto* tree = Find<QTreeView>(structure, "tvStructure");
        tree->setFocus(Qt::OtherFocusReason);
        for (int entry = 0; entry < 16; ++entry) {
            Key(structure, Qt::Key_Down);
            QCoreApplication::processEvents();
            QVERIFY2(structure->frameGeometry().width() <= width,
                     qPrintable(CurrentEntry(structure) + ": " + within()));
            QVERIFY2(room.contains(structure->frameGeometry()),
                     qPrintable(CurrentEntry(structure) + ": " + within()));
        }
    }

    // A file dropped on a structure window opens in a structure window of
    // its own; one already open is raised, not opened twice.
    void droppedFileOpensItsStructure() {
        frmStructure* structure = Open(Write("mixed.wav", MixedFile()));
        QVERIFY(structure != nullptr);
        const QString other = Write("other.wav", RiffFile(kFmt + kData));
        for (int drop = 0; drop < 2; ++drop) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(other)});
            QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(structure, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent event(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(structure, &event);
            QTRY_COMPARE(StructureWindows().size(), 2);
        }
        QTest::qWait(50);  // the second drop is handled by now
        QCOMPARE(StructureWindows().size(), 2);
        QVERIFY(StructureWindows().last()->windowTitle().contains("other.wav"));
    }

    // One switch writes every offset the window shows in hex, and back.
    void offsetsSwitchBetweenDecimalAndHex() {
        frmStructure* structure = Open(Write("mixed.wav", MixedFile()));
        QVERIFY(structure != nullptr);
        QVERIFY(structure->GoToOffset(130));
        auto* bytes = Find<QTableView>(structure, "tvBytes");
        auto* findings = Find<QTableView>(structure, "tvFindings");
        const auto shown = [&] {
            return QStringList{
                CurrentEntry(structure),
                bytes->currentIndex().siblingAtColumn(ByteLinesModel::kOffsetColumn).data().toString(),
                findings->model()->index(0, 1).data().toString()};
        };
        const QStringList decimal = shown();
        QCOMPARE(decimal.mid(0, 2), (QStringList{"130 JUNK", "128"}));
        auto* hex = structure->findChild<QAction*>("mOffsetsInHex");
        hex->trigger();
        const QStringList inHex = shown();
        QCOMPARE(inHex.mid(0, 2), (QStringList{"0x82 JUNK", "0x80"}));
        QCOMPARE(inHex[2], QStringLiteral("0x") + QString::number(decimal[2].toULongLong(), 16).toUpper());
        hex->trigger();
        QCOMPARE(shown(), decimal);
    }

    // Ctrl+F finds a text and selects its entry and bytes; F3 moves on,
    // Shift+F3 goes back, and the line under the bytes says when nothing is left.
    // The search runs on a thread of its own; the file changed since it was
    // analysed gives a sentence naming it.
    void searchSelectsItsHits() {
        const QString path = Write("mixed.wav", MixedFile());
        frmStructure* structure = Open(path);
        QVERIFY(structure != nullptr);
        prompts_->nextAnswer = QStringLiteral("fmt ");
        Key(structure, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(WorkEnded(structure));
        QCOMPARE(CurrentEntry(structure), QStringLiteral("12 fmt "));
        QCOMPARE(ByteSelection(structure),
                 QStringLiteral("Selected: 4 bytes from offset 12 (0xC) to 15 (0xF)."));
        Key(structure, Qt::Key_F3);
        QVERIFY(WorkEnded(structure));
        QCOMPARE(CurrentEntry(structure), QStringLiteral("36 fmt "));
        Key(structure, Qt::Key_F3);
        QVERIFY(WorkEnded(structure));
        QCOMPARE(ByteSelection(structure), QStringLiteral("Not found after offset 37."));
        Key(structure, Qt::Key_F3, Qt::ShiftModifier);
        QVERIFY(WorkEnded(structure));
        QCOMPARE(CurrentEntry(structure), QStringLiteral("12 fmt "));
        prompts_->nextAnswer = QStringLiteral("4A 55 4E 4B");  // JUNK, in hex
        Key(structure, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(WorkEnded(structure));
        QCOMPARE(CurrentEntry(structure), QStringLiteral("130 JUNK"));

        QTest::qWait(20);  // a new modification time however coarse the clock
        Write("mixed.wav", MixedFile() + "more");
        Key(structure, Qt::Key_F3);
        QVERIFY(WorkEnded(structure));
        QCOMPARE(prompts_->messages.size(), 1);
        QVERIFY2(prompts_->messages[0].contains(path) && prompts_->messages[0].contains("changed"),
                 qPrintable(prompts_->messages[0]));
        QCOMPARE(CurrentEntry(structure), QStringLiteral("130 JUNK"));
        QVERIFY(QFile::remove(path));
        Key(structure, Qt::Key_F3, Qt::ShiftModifier);
        QVERIFY(WorkEnded(structure));
        QCOMPARE(prompts_->messages.size(), 2);
        QVERIFY2(
            prompts_->messages[1].contains(path) && prompts_->messages[1].contains("can no longer be read"),
            qPrintable(prompts_->messages[1]));
    }

    // A search of a long file shows how far it has come while the window
    // goes on answering, and Cancel stops it.
    void longSearchShowsProgressAndCancels() {
        constexpr std::uint32_t kDataSize = 0xFFFFFFD0;
        const std::string head = RiffFile(kFmt + "data" + U32(kDataSize), "WAVE", 36 + kDataSize);
        const QString path = Write("long.wav", head);
        // Zeros past the RIFF too, so that no machine searches it all before Cancel.
        QVERIFY(::truncate(path.toLocal8Bit().constData(), off_t{64} << 30) == 0);
        frmStructure* structure = Open(path);
        QVERIFY(structure != nullptr);
        prompts_->nextAnswer = QStringLiteral("0x41424344");
        Key(structure, Qt::Key_F, Qt::ControlModifier);
        QPointer<QProgressDialog> progress;
        QVERIFY(QTest::qWaitFor(
            [&] { return (progress = structure->findChild<QProgressDialog*>()) != nullptr; }));
        QTRY_VERIFY(
            progress->labelText().contains(QRegularExpression(" of 68,719,476,73\\d bytes searched\\.$")));
        QVERIFY2(!progress->labelText().startsWith("Searching the file: 0 of"),
                 qPrintable(progress->labelText()));
        auto* cancel = progress->findChild<QPushButton*>();
        QVERIFY(cancel != nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
        QVERIFY(WorkEnded(structure));
        QCOMPARE(ByteSelection(structure), QStringLiteral("The search was cancelled."));
        QTRY_VERIFY(progress.isNull());
        QCOMPARE(structure->cursor().shape(), Qt::ArrowCursor);

        // A window closed while it searches stops the search and goes.
        QVERIFY(Activate(structure));
        Key(structure, Qt::Key_F3);
        const QPointer<frmStructure> closing = structure;
        QVERIFY(structure->findChild<WorkRunner*>("workRunner")->Busy());
        structure->close();
        QTRY_VERIFY(closing.isNull());
        QCOMPARE(prompts_->messages, QStringList());
    }

    // The text column draws each character in its byte's colour, and marks
    // the selected entry's bytes there as in the hex cells, character by
    // character: on the line of offset 128, the JUNK chunk's 11 bytes from
    // 130, not the two before nor the data chunk's after.
    void textColumnColoursAndMarksEachByte() {
        frmStructure* structure = Open(Write("mixed.wav", MixedFile()));
        QVERIFY(structure != nullptr);
        QVERIFY(structure->GoToOffset(130));
        auto* bytes = Find<QTableView>(structure, "tvBytes");
        auto* lines = qobject_cast<ByteLinesModel*>(bytes->model());
        QCOMPARE(lines->Marked(), (ByteLinesModel::Span{130, 140}));
        bytes->selectionModel()->clearSelection();
        const QModelIndex junkLine = lines->IndexOfByte(130).siblingAtColumn(ByteLinesModel::kTextColumn);
        bytes->scrollTo(junkLine);
        QCoreApplication::processEvents();
        const QImage shown = bytes->viewport()->grab().toImage();
        const auto pixelsOf = [&](const QModelIndex& cell, const QColor& colour, int y) {
            const QRect area = bytes->visualRect(cell);
            int count = 0;
            for (int x = area.left(); x <= area.right(); ++x) {
                for (int row = y < 0 ? area.top() : y; row <= (y < 0 ? area.bottom() : y); ++row)
                    count += shown
                                 .pixelColor(x * shown.width() / bytes->viewport()->width(),
                                             row * shown.height() / bytes->viewport()->height())
                                 .rgb() == colour.rgb();
            }
            return count;
        };
        // A line of pixels just inside the cell's top, over no character.
        const QRect junkArea = bytes->visualRect(junkLine);
        const int top = junkArea.top() + 1;
        const QColor background = shown.pixelColor(junkArea.right() - 1, top);
        const int advance =
            QFontMetrics(junkLine.data(Qt::FontRole).value<QFont>()).horizontalAdvance(QLatin1Char('W'));
        const int marked = junkArea.width() - pixelsOf(junkLine, background, top);
        QVERIFY2(std::abs(marked - 11 * advance) <= 1,
                 qPrintable(QStringLiteral("%1 marked pixels, %2 a character").arg(marked).arg(advance)));
        // "JUNK" and "data" start chunks; "abc" is the JUNK chunk's content.
        const QColor header = KindColour(ByteKind::Header, QGuiApplication::palette());
        const QColor content = KindColour(ByteKind::Content, QGuiApplication::palette());
        QVERIFY(header != content);
        QVERIFY(pixelsOf(junkLine, header, -1) > 0);
        QVERIFY(pixelsOf(junkLine, content, -1) > 0);
    }

    void saveReportWritesWhatOnduloDumpWrites() {
        const QString path = Write("mixed.wav", MixedFile());
        frmStructure* structure = Open(path);
        QVERIFY(structure != nullptr);
        prompts_->nextSaveChoice = QString::fromStdString(scratch_.Path("mixed.json"));
        Key(structure, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(WorkEnded(structure));
        QCOMPARE(prompts_->saveDialogs, 1);
        QCOMPARE(prompts_->saveStartPaths.first(), QString::fromStdString(scratch_.Path("mixed.txt")));
        const std::string saved = ReadBytes(scratch_.Path("mixed.json"));
        QVERIFY2(saved.rfind("{\"files\": [", 0) == 0 && saved.find("\"duplicate\"") != std::string::npos,
                 saved.c_str());
        QTRY_VERIFY(structure->statusBar()->currentMessage().contains("mixed.json"));

        prompts_->nextSaveChoice = QString::fromStdString(scratch_.Path("no-folder/mixed.txt"));
        Key(structure, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(WorkEnded(structure));
        QCOMPARE(prompts_->messages.size(), 1);
        QVERIFY2(prompts_->messages[0].contains("no-folder/mixed.txt"), qPrintable(prompts_->messages[0]));
    }

    // File > Save mended copy: a sound file has nothing to mend; a broken
    // one gets its plan, whose lines select their bytes, then the copy, made
    // in the background with the audio as it was, and the offer to open it.
    void mendedCopyIsPlannedSavedAndOffered() {
        const std::string audio(400, '\x5A');
        frmStructure* structure = Open(Write("whole.wav", RiffFile(kFmt + Chunk("data", audio))));
        QVERIFY(structure != nullptr);
        Find<QAction>(structure, "mSaveMendedCopy")->trigger();
        QCOMPARE(prompts_->messages.size(), 1);
        QVERIFY2(prompts_->messages[0].contains("nothing to mend"), qPrintable(prompts_->messages[0]));

        // A recording never finished: both sizes are placeholders.
        const std::string unfinished =
            "RIFF" + U32(0xFFFFFFFF) + "WAVE" + kFmt + "data" + U32(0xFFFFFFFF) + audio;
        structure = Open(Write("unfinished.wav", unfinished));
        QVERIFY(structure != nullptr);
        Find<QAction>(structure, "mSaveMendedCopy")->trigger();
        auto* plan = Find<QDialog>(structure, "dlgMendPlan");
        auto* lines = Find<QTableView>(plan, "tvMendPlan");
        QVERIFY(lines->model()->rowCount() > 0);
        const QString before = ByteSelection(structure);
        lines->setCurrentIndex(lines->model()->index(lines->model()->rowCount() - 1, 0));
        QVERIFY2(ByteSelection(structure) != before, qPrintable(ByteSelection(structure)));

        prompts_->nextSaveChoice = QString::fromStdString(scratch_.Path("mended.wav"));
        prompts_->nextConfirm = true;
        Find<QPushButton>(plan, "pbSaveMendedCopy")->click();
        QVERIFY(WorkEnded(structure));
        QTRY_COMPARE(prompts_->confirmations.size(), 1);
        QVERIFY2(prompts_->confirmations[0].contains("mended.wav") &&
                     prompts_->confirmations[0].contains("SHA-256") &&
                     prompts_->confirmations[0].contains("400 bytes of audio"),
                 qPrintable(prompts_->confirmations[0]));
        const std::string copy = ReadBytes(scratch_.Path("mended.wav"));
        QCOMPARE(copy.substr(copy.size() - audio.size()), audio);
        QCOMPARE(ReadBytes(scratch_.Path("unfinished.wav")), unfinished);
        QTRY_COMPARE(StructureWindows().size(), 3);
        QVERIFY(StructureWindows().last()->Path().ends_with("mended.wav"));
    }

    // File > Compare With…: another file's entries beside this one's, the
    // changes alone at first, a changed field selecting its bytes here.
    void comparedFileShowsWhatChanged() {
        const std::string audio(400, '\x5A');
        const auto info = [](const std::string& title) {
            return Chunk("LIST", ListPayload("INFO", Chunk("INAM", title + '\0')));
        };
        frmStructure* structure =
            Open(Write("before.wav", RiffFile(kFmt + Chunk("data", audio) + info("Take 1"))));
        QVERIFY(structure != nullptr);
        prompts_->nextChoice = Write("after.wav", RiffFile(kFmt + Chunk("data", audio) + info("Take 2")));
        Find<QAction>(structure, "mCompareWith")->trigger();
        QVERIFY(WorkEnded(structure));
        auto* result = Find<QDialog>(structure, "dlgCompare");
        const QString summary = Find<QLabel>(result, "lbCompareSummary")->text();
        QVERIFY2(summary.contains("Audio: identical (100 frames)"), qPrintable(summary));
        auto* tree = Find<QTreeWidget>(result, "tvCompare");
        QList<QTreeWidgetItem*> shown;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            if (!tree->topLevelItem(i)->isHidden()) shown << tree->topLevelItem(i);
        }
        QCOMPARE(shown.size(), 2);  // the INFO list and its INAM item
        QCOMPARE(shown[0]->text(0), QString("LIST INFO"));
        QTreeWidgetItem* title = shown[0]->child(0);
        QVERIFY2(title->text(2).startsWith("Take 1") && title->text(3).startsWith("Take 2"),
                 qPrintable(title->text(2) + " / " + title->text(3)));
        const QString before = ByteSelection(structure);
        tree->setCurrentItem(title);
        QVERIFY2(ByteSelection(structure) != before, qPrintable(ByteSelection(structure)));
        Find<QCheckBox>(result, "cbChangesOnly")->setChecked(false);
        QVERIFY(!tree->topLevelItem(0)->isHidden());
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
