// While Help or About is open, the main window takes no input; once it has
// closed, the main window answers again.
#include <QAction>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "support/fake_prompts.h"
#include "ui/info/frm_about.h"
#include "ui/info/frm_help.h"
#include "ui/main/frm_main.h"

class InfoModalityTest : public QObject {
    Q_OBJECT

private slots:
    void mainWindowWaitsForTheInfoWindow_data() {
        QTest::addColumn<QString>("menuItem");
        QTest::addRow("Help") << "mHelp";
        QTest::addRow("About") << "mAbout";
    }

    void mainWindowWaitsForTheInfoWindow() {
        QFETCH(QString, menuItem);
        auto owned = std::make_unique<FakePrompts>();
        FakePrompts* prompts = owned.get();
        frmMain main(std::move(owned));
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto* search = main.findChild<QPushButton*>(QStringLiteral("cbSearch"));
        QVERIFY(search != nullptr);
        const QPoint onSearch = search->mapTo(&main, search->rect().center());

        main.findChild<QAction*>(menuItem)->trigger();
        auto* info = qobject_cast<InfoDialog*>(QApplication::activeModalWidget());
        QVERIFY(info != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(info));
        const QPointer<InfoDialog> guard(info);

        // Through the window system, as the user's mouse would come.
        QTest::mouseClick(main.windowHandle(), Qt::LeftButton, {}, onSearch);
        QCOMPARE(prompts->fileDialogs, 0);
        QVERIFY(info->isVisible());

        QTest::keyClick(info->windowHandle(), Qt::Key_Escape);
        QTRY_VERIFY(guard.isNull());
        QTest::mouseClick(main.windowHandle(), Qt::LeftButton, {}, onSearch);
        QCOMPARE(prompts->fileDialogs, 1);
    }
};

QTEST_MAIN(InfoModalityTest)
#include "tst_info_modality.moc"
