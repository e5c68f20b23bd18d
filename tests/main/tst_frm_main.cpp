#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QUrl>
#include <memory>

#include "support/fake_prompts.h"
#include "support/grid_rows.h"
#include "support/scratch_dir.h"
#include "support/wav_builder.h"
#include "ui/info/frm_about.h"
#include "ui/info/frm_help.h"
#include "ui/main/frm_main.h"
#include "ui/main/modprg.h"

using namespace wavtest;

namespace {

const std::string kFmt = Chunk("fmt ", PcmFormat(2, 44100, 16));
const std::string kData = Chunk("data", std::string(4, '\0'));

// The open Help or About window, if any.
InfoDialog* OpenInfoWindow() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* info = qobject_cast<InfoDialog*>(top); info != nullptr && info->isVisible()) return info;
    }
    return nullptr;
}

}  // namespace

class FrmMainTest : public QObject {
    Q_OBJECT

    ScratchDir scratch_;
    std::unique_ptr<frmMain> window_;
    FakePrompts* prompts_ = nullptr;

    template <typename T = QWidget>
    T* Find(const QString& name) const {
        return window_->findChild<T*>(name);
    }
    QLineEdit* Path() const { return Find<QLineEdit>("txtPatches"); }
    QPushButton* Analyse() const { return Find<QPushButton>("cbAnalize"); }
    QStringList Rows(const QString& grid) const { return GridRows(*window_, grid); }
    QString Write(const QString& name, const std::string& bytes) const {
        return QString::fromStdString(scratch_.File(name.toStdString(), bytes));
    }
    void AnalysePath(const QString& path) {
        Path()->setText(path);
        Analyse()->click();
    }
    // A key as the window system delivers it: to the active window's focus,
    // through its shortcuts and menus.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QTest::keyClick(window_->windowHandle(), key, modifiers);
    }
    QString FocusName() const {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    void SelectChunk(const QString& name) {
        Find<QTableView>("dbgChunk")
            ->selectRow(
                int(Rows("dbgChunk").indexOf(QRegularExpression(QRegularExpression::escape(name) + "\t.*"))));
    }

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() {
        ModPrg::FileState = 0;
        ModPrg::LastChosenPath.clear();
        auto prompts = std::make_unique<FakePrompts>();
        prompts_ = prompts.get();
        window_ = std::make_unique<frmMain>(std::move(prompts));
        window_->show();
    }
    void cleanup() {
        QVERIFY2(QApplication::overrideCursor() == nullptr, "busy cursor left on");
        QVERIFY2(!prompts_->cursorOnDuringMessage, "busy cursor over a message");
        window_.reset();
    }

    void startUpState() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("ODL - Ondulo"));
        QCOMPARE(Path()->text(), QString());
        QVERIFY(!Analyse()->isEnabled());
        QCOMPARE(Rows("dbgChunk") + Rows("dbgValues"), QStringList());
        for (const char* name : {"SSPanel4", "cbSearch", "dbgChunk", "dbgValues", "lbStatus"})
            QVERIFY(Find(name));
        for (const char* name : {"mFile", "mExit", "mAbHlp", "mHelp", "mEmpty", "mAbout"}) {
            QVERIFY(window_->findChild<QObject*>(name));
        }
    }

    void pathTextDrivesFileState_data() {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<int>("state");
        QTest::addRow("spaces only") << QStringList{"   "} << 0;
        QTest::addRow("spaces around a path") << QStringList{"  a.wav  "} << 1;
        QTest::addRow("erased") << QStringList{"a.wav", ""} << 0;
    }
    void pathTextDrivesFileState() {
        QFETCH(QStringList, edits);
        QFETCH(int, state);
        for (const QString& text : edits) Path()->setText(text);
        QCOMPARE(ModPrg::FileState, state);
        QCOMPARE(Analyse()->isEnabled(), state > 0);
        // View, Structure… has nothing to show for a blank path either.
        QCOMPARE(window_->findChild<QAction*>("mStructure")->isEnabled(), state > 0);
    }

    void pathReachesLoadUntrimmed_data() {
        QTest::addColumn<QString>("fileOnDisk");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("loads");
        QTest::addRow("trailing spaces") << "trail.wav  "
                                         << "trail.wav  " << true;
        QTest::addRow("leading spaces") << "  lead.wav"
                                        << "  lead.wav" << true;
        QTest::addRow("spaces not in the name") << "plain.wav"
                                                << "plain.wav  " << false;
    }
    void pathReachesLoadUntrimmed() {
        QFETCH(QString, fileOnDisk);
        QFETCH(QString, typed);
        QFETCH(bool, loads);
        Write(fileOnDisk, RiffFile(kFmt + kData));
        QDir::setCurrent(QString::fromStdString(scratch_.Dir()));
        AnalysePath(typed);
        QCOMPARE(ModPrg::FileState, loads ? 2 : 1);
        QCOMPARE(Rows("dbgChunk").size(), loads ? 3 : 0);
        QCOMPARE(prompts_->messages.size(), loads ? 0 : 1);
    }

    void analyseListsChunksInFixedOrder_data() {
        QTest::addColumn<QByteArray>("chunks");
        QTest::addColumn<QStringList>("rows");
        // clang-format off
        QTest::addRow("data before fmt")
            << QByteArray::fromStdString(kData + kFmt)
            << QStringList{"RIFF\t40",
                           "fmt \t16",
                           "data\t4"};
        QTest::addRow("scrambled, lower-case list")
            << QByteArray::fromStdString(kData + Chunk("PAD ", "\x07") + Chunk("list", "adtl") +
                                         Chunk("fact", U32(1)) + kFmt + Chunk("slnt", U32(9)))
            << QStringList{"RIFF\t86",
                           "fmt \t16",
                           "fact\t4",
                           "slnt\t4",
                           "list\t4",
                           "PAD \t1",
                           "data\t4"};
        // clang-format on
    }
    void analyseListsChunksInFixedOrder() {
        QFETCH(QByteArray, chunks);
        QFETCH(QStringList, rows);
        AnalysePath(Write("first.wav", RiffFile(kFmt + Chunk("fact", U32(5)) + kData)));
        SelectChunk("fmt ");
        QCOMPARE(Rows("dbgValues").size(), 6);

        AnalysePath(Write("second.wav", RiffFile(chunks.toStdString())));
        QCOMPARE(Rows("dbgChunk"), rows);
        QCOMPARE(Rows("dbgValues"), QStringList());
        QVERIFY(!Find<QTableView>("dbgChunk")->selectionModel()->hasSelection());
        QCOMPARE(ModPrg::FileState, 2);
        QVERIFY(Analyse()->isEnabled());
    }

    void failedAnalysisKeepsEverything_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("bytes");  // none: the path does not exist
        QTest::addColumn<QString>("message");   // the path stands for %1
        QTest::addRow("no RIFF tag") << "rifx.wav" << QByteArray("RIFX\4\0\0\0WAVE", 12)
                                     << "Ondulo: Not a wav file (RIFF tag) / *\"%1\"*RIFF*";
        QTest::addRow("no WAVE form") << "avi.wav" << QByteArray::fromStdString(RiffFile(kData, "AVI "))
                                      << "Ondulo: Not a wav file (WAVE tag) / *\"%1\"*WAVE*";
        QTest::addRow("missing file") << "missing.wav" << QByteArray() << "Ondulo: *\"%1\"*";
    }
    void failedAnalysisKeepsEverything() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        AnalysePath(Write("good.wav", RiffFile(kFmt + kData)));
        SelectChunk("fmt ");
        const QStringList before = Rows("dbgChunk") + Rows("dbgValues");

        const QString path = bytes.isEmpty() ? QString::fromStdString(scratch_.Path(fileName.toStdString()))
                                             : Write(fileName, bytes.toStdString());
        AnalysePath(path);
        QCOMPARE(prompts_->messages.size(), 1);
        const QRegularExpression expected(QRegularExpression::wildcardToRegularExpression(message.arg(path)));
        QVERIFY2(expected.match(prompts_->messages[0]).hasMatch(), qPrintable(prompts_->messages[0]));
        QCOMPARE(Rows("dbgChunk") + Rows("dbgValues"), before);
        QCOMPARE(ModPrg::FileState, 1);
    }

    void searchTakesTheChosenFile() {
        prompts_->nextChoice = QStringLiteral("/music/one.wav");
        Find<QPushButton>("cbSearch")->click();
        prompts_->nextChoice = QStringLiteral("/music/two.wav");
        Find<QPushButton>("cbSearch")->click();
        QCOMPARE(prompts_->startPaths, (QStringList{"", "/music/one.wav"}));
        QCOMPARE(prompts_->filters.first(), QStringLiteral("WAV Files (*.WAV *.wav)"));
        QCOMPARE(Path()->text(), QStringLiteral("/music/two.wav"));
        QCOMPARE(ModPrg::LastChosenPath, std::string("/music/two.wav"));
        QCOMPARE(ModPrg::FileState, 1);
        QCOMPARE(window_->focusWidget(), Analyse());
    }

    void cancelledSearchOnlyRefreshesButtonAndFocus_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("focus");
        QTest::addRow("empty path stays disabled") << ""
                                                   << "txtPatches";
        QTest::addRow("typed path kept") << "x.wav"
                                         << "cbAnalize";
    }
    void cancelledSearchOnlyRefreshesButtonAndFocus() {
        QFETCH(QString, typed);
        QFETCH(QString, focus);
        Path()->setText(typed);
        Find<QPushButton>("cbSearch")->click();
        QCOMPARE(Path()->text(), typed);
        QCOMPARE(ModPrg::FileState, typed.isEmpty() ? 0 : 1);
        QCOMPARE(Analyse()->isEnabled(), !typed.isEmpty());
        QCOMPARE(window_->focusWidget()->objectName(), focus);
    }

    void selectingChunksFillsValues() {
        AnalysePath(Write("sel.wav", RiffFile(kFmt + Chunk("fact", "\1\2") + kData)));
        const auto status = [this] { return Find<QLabel>("lbStatus")->text(); };
        SelectChunk("data");
        QCOMPARE(Rows("dbgValues"), QStringList{"Data\t( . . . )"});
        SelectChunk("fact");  // two bytes cannot hold the sample count
        QCOMPARE(Rows("dbgValues"), QStringList());
        // After the check's error about the short chunk, the status line says why.
        QVERIFY2(status().contains("The fact chunk could not be shown in full"), qPrintable(status()));
        SelectChunk("RIFF");
        QCOMPARE(Rows("dbgValues"), QStringList{"RIFF Type\tWAVE"});
        QVERIFY2(!status().contains("could not be shown"), qPrintable(status()));

        SelectChunk("fact");
        Analyse()->click();
        QVERIFY2(!status().contains("could not be shown"), qPrintable(status()));

        // A list shown for its type alone says where its items are.
        const std::string info = Chunk("LIST", ListPayload("INFO", Chunk("ISFT", std::string("x\0", 2))));
        for (const auto& [list, said] :
             {std::pair{info, true}, {Chunk("LIST", ListPayload("adtl", "")), false}}) {
            AnalysePath(Write("list.wav", RiffFile(kFmt + list + kData)));
            SelectChunk("LIST");
            QCOMPARE(status().contains("are shown in View > Structure\u2026 (Ctrl+M)"), said);
        }
    }

    void damagedFileIsNamedInTheStatusLine() {
        AnalysePath(Write("cut.wav", RiffFile(kFmt + Chunk("data", "dd", 1000))));
        const auto status = [this] { return Find<QLabel>("lbStatus")->text(); };
        QVERIFY2(status().contains(
                     "\"data\" chunk at offset 36 says it holds 1000 bytes, but the file ends after 2"),
                 qPrintable(status()));
        SelectChunk("fmt ");
        QCOMPARE(Rows("dbgValues").size(), 6);
        QVERIFY2(status().contains("ends after 2 of them"), qPrintable(status()));

        AnalysePath(Write("whole.wav", RiffFile(kFmt + kData)));
        QCOMPARE(status(), QString());
    }

    // The status line names what the list does not show, the findings label
    // counts what is wrong and lists it, each chunk row tells its offset.
    void wholeFileIsSummarised() {
        const std::string bext = Chunk("bext", std::string(602, '\0'));
        const std::string info = Chunk("LIST", ListPayload("INFO", Chunk("ISFT", "x")));
        AnalysePath(
            Write("broadcast.wav", RiffFile(bext + kFmt + info + Chunk("LIST", ListPayload("adtl", "")) +
                                            Chunk("data", "abc") + bext)));
        QCOMPARE(Find<QLabel>("lbStatus")->text(), QString("Also in the file: bext, LIST (INFO)."));
        auto* findings = Find<QLabel>("lbFindings");
        // The partial frame of the data chunk, and the ISFT text without its zero byte.
        QCOMPARE(findings->text(), QString("2 findings: 1 warning, 1 note."));
        QVERIFY2(findings->toolTip().startsWith("warning at offset 680 (data, partial-frame): "),
                 qPrintable(findings->toolTip()));
        const QAbstractItemModel* chunks = Find<QTableView>("dbgChunk")->model();
        QCOMPARE(chunks->index(1, 0).data(Qt::DisplayRole).toString(), QString("fmt "));
        QCOMPARE(chunks->index(1, 0).data(Qt::ToolTipRole).toString(),
                 QString("The fmt chunk starts at offset 622 of the file."));

        AnalysePath(Write("plain.wav", RiffFile(kFmt + kData)));
        QCOMPARE(Find<QLabel>("lbStatus")->text(), QString());
        QCOMPARE(findings->text(), QString("No findings."));
    }

    // However much the status line has to say (4,096 list types, a path of
    // thousands of characters), it stays one line, names a few things and
    // counts the rest, and never widens the window or squeezes the grids.
    void longStatusStaysOneLine() {
        std::string lists;
        for (int i = 0; i < 4096; ++i) {
            lists += Chunk("LIST", ListPayload(std::to_string(10000 + i).substr(1), ""));
        }
        QString folder = QString::fromStdString(scratch_.Dir());
        for (int i = 0; i < 15; ++i) {
            folder += "/" + QString(240, QChar('a' + i));
            QVERIFY(QDir().mkpath(folder));
        }
        const QString path = folder + "/long.wav";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const std::string bytes =
            RiffFile(kFmt + lists + Chunk("LIST", ListPayload("adtl", "")) + kData) + "!!";
        file.write(bytes.data(), qint64(bytes.size()));
        file.close();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        const int width = window_->width();
        const int gridHeight = Find<QTableView>("dbgValues")->height();

        AnalysePath(path);
        QApplication::processEvents();
        auto* status = Find<QLabel>("lbStatus");
        QVERIFY2(
            status->text().contains("Also in the file: LIST (0000), LIST (0001), LIST (0002), LIST (0003), "
                                    "LIST (0004) and 4,091 more."),
            qPrintable(status->text().left(300)));
        QVERIFY2(status->toolTip().size() < 20000, qPrintable(QString::number(status->toolTip().size())));
        QVERIFY(!status->toolTip().contains(folder));
        // The tool tip names the types the line leaves out.
        QVERIFY2(status->toolTip().contains("LIST (0005)") && status->toolTip().contains("LIST (0255)"),
                 qPrintable(status->toolTip().left(300)));
        QCOMPARE(window_->width(), width);
        QVERIFY(status->height() < 2 * status->fontMetrics().height() + 8);
        QCOMPARE(Find<QTableView>("dbgValues")->height(), gridHeight);
    }

    void dropAndReturnRunAnalyse_data() {
        QTest::addColumn<bool>("drop");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("rows");
        QTest::addRow("file dropped on the window") << true << "" << 3;
        QTest::addRow("Return in the path box") << false << "%1" << 3;
        QTest::addRow("Return on a blank path") << false << "  " << 0;
    }
    void dropAndReturnRunAnalyse() {
        QFETCH(bool, drop);
        QFETCH(QString, typed);
        QFETCH(int, rows);
        const QString path = Write("dropped.wav", RiffFile(kFmt + kData));
        if (drop) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(path)});
            // A drop reaches only the widget that accepted the drag's entry.
            QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window_.get(), &enter);
            QDropEvent event(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window_.get(), &event);
            QVERIFY(event.isAccepted());
            QCOMPARE(Path()->text(), path);
        } else {
            Path()->setText(typed.arg(path));
            QTest::keyClick(Path(), Qt::Key_Return);
        }
        QTRY_COMPARE(Rows("dbgChunk").size(), rows);
        QCOMPARE(ModPrg::FileState, rows > 0 ? 2 : 0);
        QCOMPARE(prompts_->messages, QStringList());
    }

    // Open a file, walk the grids, read Help and quit, all without the mouse.
    void keyboardOnlySession() {
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        const QString path = Write("keys.wav", RiffFile(kFmt + kData));
        Path()->setText(QStringLiteral("old.wav"));
        Find("cbSearch")->setFocus();
        Key(Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(Path()->selectedText(), QStringLiteral("old.wav"));
        QTest::keyClicks(QApplication::focusWidget(), path);  // replaces the selection
        Key(Qt::Key_Return);
        QCOMPARE(Rows("dbgChunk").size(), 3);

        for (const char* next : {"cbSearch", "cbAnalize", "dbgChunk"}) {
            Key(Qt::Key_Tab);
            QCOMPARE(FocusName(), QString(next));
        }
        // Coming in selects the first row, and the arrows walk from there.
        QCOMPARE(Rows("dbgValues"), QStringList{"RIFF Type\tWAVE"});
        Key(Qt::Key_Down);
        QCOMPARE(Rows("dbgValues").size(), 6);
        Key(Qt::Key_Down);
        QCOMPARE(Rows("dbgValues"), QStringList{"Data\t( . . . )"});
        Key(Qt::Key_Tab);
        QCOMPARE(FocusName(), QStringLiteral("dbgValues"));

        // F1's release reaches the new window, which never saw it pressed.
        QTest::keyPress(window_->windowHandle(), Qt::Key_F1);
        const QPointer<InfoDialog> help = qobject_cast<frmHelp*>(OpenInfoWindow());
        QVERIFY(help != nullptr);
        QTest::keyRelease(help->windowHandle(), Qt::Key_F1);
        QVERIFY(help->isVisible());
        QTest::keyClick(help->windowHandle(), Qt::Key_Space);
        QTRY_VERIFY(help.isNull());
        // A desktop gives the activation back to the window under a closed
        // dialog; the offscreen platform leaves that to the program.
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));

        Key(Qt::Key_O, Qt::ControlModifier);  // Search, through its button
        QTRY_COMPARE(prompts_->startPaths.size(), 1);
        Key(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!window_->isVisible());
    }

    // Alt and the title's letter open a menu, the item's letter picks from it;
    // the menus still read the same words.
    void menuMnemonics_data() {
        QTest::addColumn<Qt::Key>("menu");
        QTest::addColumn<Qt::Key>("item");
        QTest::addColumn<QString>("opens");  // empty: the program ends
        QTest::addRow("Alt+H, H") << Qt::Key_H << Qt::Key_H << "frmHelp";
        QTest::addRow("Alt+H, A") << Qt::Key_H << Qt::Key_A << "frmAbout";
        QTest::addRow("Alt+F, X") << Qt::Key_F << Qt::Key_X << "";
    }
    void menuMnemonics() {
        QFETCH(Qt::Key, menu);
        QFETCH(Qt::Key, item);
        QFETCH(QString, opens);
        QStringList words;
        // The menu bar's own menus: the bar also keeps a menu for the titles
        // that did not fit while the window was being built.
        for (QAction* title : window_->menuBar()->actions()) {
            QMenu* m = title->menu();
            words << m->title().remove('&');
            for (QAction* action : m->actions()) words << action->text().remove('&');
        }
        QCOMPARE(words,
                 (QStringList{"File", "Exit", "View", "Structure\u2026", "Help", "Help", "", "About"}));

        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        Key(menu, Qt::AltModifier);
        QVERIFY(Path()->text().isEmpty());  // not typed into the path box
        QTest::keyPress(QApplication::activePopupWidget(), item);
        const QPointer<InfoDialog> info = OpenInfoWindow();
        QCOMPARE(info ? info->metaObject()->className() : "", opens);
        QCOMPARE(window_->isVisible(), !opens.isEmpty());
        if (info.isNull()) return;
        // The letter and Alt are let go over the new window: it stays open.
        QTest::keyRelease(info->windowHandle(), item);
        QTest::keyRelease(info->windowHandle(), Qt::Key_Alt);
        QVERIFY(info->isVisible());
        QTest::keyClick(info->windowHandle(), Qt::Key_Escape);
        QTRY_VERIFY(info.isNull());
    }

    // What a screen reader announces for each control.
    void everyControlHasAnAccessibleName_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addRow("path box") << "txtPatches"
                                  << "WAV file path";
        QTest::addRow("Search") << "cbSearch"
                                << "Search";
        QTest::addRow("Analyse") << "cbAnalize"
                                 << "Analyse";
        QTest::addRow("chunk grid") << "dbgChunk"
                                    << "Chunks";
        QTest::addRow("value grid") << "dbgValues"
                                    << "Chunk fields";
        QTest::addRow("status line, empty") << "lbStatus"
                                            << "Status";
    }
    void everyControlHasAnAccessibleName() {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QCOMPARE(QAccessible::queryAccessibleInterface(Find(control))->text(QAccessible::Name), name);
    }

    // Return and Enter press the focused button: Search, then Analyse, which
    // has the focus once a file is chosen.
    void enterPressesTheFocusedButton_data() {
        QTest::addColumn<Qt::Key>("key");
        QTest::addRow("Return") << Qt::Key_Return;
        QTest::addRow("Enter") << Qt::Key_Enter;
    }
    void enterPressesTheFocusedButton() {
        QFETCH(Qt::Key, key);
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        prompts_->nextChoice = Write("enter.wav", RiffFile(kFmt + kData));
        Find("cbSearch")->setFocus();
        Key(key);
        QCOMPARE(prompts_->startPaths.size(), 1);
        QCOMPARE(FocusName(), QStringLiteral("cbAnalize"));
        QCOMPARE(Rows("dbgChunk").size(), 0);
        Key(key);
        QCOMPARE(Rows("dbgChunk").size(), 3);
    }
};

QTEST_MAIN(FrmMainTest)
#include "tst_frm_main.moc"
