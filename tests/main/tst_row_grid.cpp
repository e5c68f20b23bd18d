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

#include "ui/widgets/qt_user_prompts.h"
#include "ui/widgets/row_table_model.h"
#include "ui/widgets/row_table_view.h"

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
