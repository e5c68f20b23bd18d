// The Help and About windows: which gestures close them and which must not,
// their fixed texts and their pictures.
#include <QLabel>
#include <QtTest>
#include <memory>

#include "ui/info/frm_about.h"
#include "ui/info/frm_help.h"
#include "ui/info/ondulo_icon.h"

namespace {

enum class Window { Help, About };

enum class Gesture {
    LeftClick,       // press and release inside
    RightClick,      // press and release of the right button inside
    LeftPressOnly,   // a press that is never released
    ReleaseOutside,  // left press inside, release after moving off the part
    DoubleClick,     // two quick left clicks
    KeyClick,        // press and release of the key
    KeyPressOnly,    // a key held down, not yet let go
    KeyReleaseOnly,  // a key let go that was held before the window opened
};

std::unique_ptr<InfoDialog> MakeWindow(Window window) {
    if (window == Window::Help) {
        return std::make_unique<frmHelp>();
    }
    return std::make_unique<frmAbout>();
}

QWidget* Part(QDialog* dialog, const QString& name) {
    return name.isEmpty() ? dialog : dialog->findChild<QWidget*>(name);
}

// Sends the gesture through the window system, as a real mouse or keyboard
// would, so that Qt turns presses into double clicks, grabs the mouse for the
// pressed part, and routes keys to the focus, just as for the user.
void Perform(QDialog* dialog, QWidget* part, Gesture gesture, Qt::Key key) {
    QWindow* window = dialog->windowHandle();
    const QPoint inside = part->mapTo(dialog, part->rect().center());
    const QPoint outside(-5, -5);  // off the part and off the window
    switch (gesture) {
        case Gesture::LeftClick:
            QTest::mouseClick(window, Qt::LeftButton, {}, inside);
            break;
        case Gesture::RightClick:
            QTest::mouseClick(window, Qt::RightButton, {}, inside);
            break;
        case Gesture::LeftPressOnly:
            QTest::mousePress(window, Qt::LeftButton, {}, inside);
            break;
        case Gesture::ReleaseOutside:
            QTest::mousePress(window, Qt::LeftButton, {}, inside);
            QTest::mouseRelease(window, Qt::LeftButton, {}, outside);
            break;
        case Gesture::DoubleClick:
            QTest::mouseDClick(window, Qt::LeftButton, {}, inside);
            break;
        case Gesture::KeyClick:
            QTest::keyClick(window, key);
            break;
        case Gesture::KeyPressOnly:
            QTest::keyPress(window, key);
            break;
        case Gesture::KeyReleaseOnly:
            QTest::keyRelease(window, key);
            break;
    }
}

// Lets go of what the gesture left held, so the next case starts clean.
void Finish(QDialog* dialog, Gesture gesture, Qt::Key key) {
    if (gesture == Gesture::LeftPressOnly) {
        QTest::mouseRelease(dialog->windowHandle(), Qt::LeftButton, {}, QPoint(-5, -5));
    } else if (gesture == Gesture::KeyPressOnly) {
        QTest::keyRelease(dialog->windowHandle(), key);
    }
}

}  // namespace

Q_DECLARE_METATYPE(Window)
Q_DECLARE_METATYPE(Gesture)

class InfoWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void gestures_data();
    void gestures();
    void versionLine();
    void helpPanelTexts_data();
    void helpPanelTexts();
    void noPartTakesTheFocus_data();
    void noPartTakesTheFocus();
    void pictures_data();
    void pictures();
    void iconSizes();
};

void InfoWindowsTest::gestures_data() {
    QTest::addColumn<Window>("window");
    QTest::addColumn<QString>("part");  // object name; empty for the window itself
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<bool>("closes");

    const auto none = Qt::Key_unknown;
    const auto help = Window::Help;
    const auto about = Window::About;
    // Help: a click anywhere, or any key let go.
    QTest::addRow("help: click on the window") << help << "" << Gesture::LeftClick << none << true;
    QTest::addRow("help: click on the picture") << help << "Picture1" << Gesture::LeftClick << none << true;
    QTest::addRow("help: click on panel 1") << help << "SSPanel1_0" << Gesture::LeftClick << none << true;
    QTest::addRow("help: click on panel 3") << help << "SSPanel1_2" << Gesture::LeftClick << none << true;
    QTest::addRow("help: click on the rule") << help << "Shape1" << Gesture::LeftClick << none << true;
    QTest::addRow("help: Escape") << help << "" << Gesture::KeyClick << Qt::Key_Escape << true;
    QTest::addRow("help: Enter") << help << "" << Gesture::KeyClick << Qt::Key_Return << true;
    QTest::addRow("help: press only") << help << "SSPanel1_1" << Gesture::LeftPressOnly << none << false;
    QTest::addRow("help: released off the panel")
        << help << "SSPanel1_0" << Gesture::ReleaseOutside << none << false;
    QTest::addRow("help: right click") << help << "Picture1" << Gesture::RightClick << none << false;
    QTest::addRow("help: Escape held") << help << "" << Gesture::KeyPressOnly << Qt::Key_Escape << false;
    QTest::addRow("help: stray key release")
        << help << "" << Gesture::KeyReleaseOnly << Qt::Key_Return << false;

    // About: a button or key let go on the window or banner, a double click on a paragraph.
    QTest::addRow("about: release on the window") << about << "" << Gesture::LeftClick << none << true;
    QTest::addRow("about: right release on the window") << about << "" << Gesture::RightClick << none << true;
    QTest::addRow("about: released off the window") << about << "" << Gesture::ReleaseOutside << none << true;
    QTest::addRow("about: release on the banner") << about << "Image1" << Gesture::LeftClick << none << true;
    QTest::addRow("about: double click on paragraph 1")
        << about << "Label1_0" << Gesture::DoubleClick << none << true;
    QTest::addRow("about: double click on paragraph 3")
        << about << "Label1_2" << Gesture::DoubleClick << none << true;
    QTest::addRow("about: Escape") << about << "" << Gesture::KeyClick << Qt::Key_Escape << true;
    QTest::addRow("about: Enter") << about << "" << Gesture::KeyClick << Qt::Key_Enter << true;
    QTest::addRow("about: press only on the window")
        << about << "" << Gesture::LeftPressOnly << none << false;
    QTest::addRow("about: press only on the banner")
        << about << "Image1" << Gesture::LeftPressOnly << none << false;
    QTest::addRow("about: single click on paragraph 1")
        << about << "Label1_0" << Gesture::LeftClick << none << false;
    QTest::addRow("about: click on the version line")
        << about << "lbCopy" << Gesture::LeftClick << none << false;
    QTest::addRow("about: double click on the version line")
        << about << "lbCopy" << Gesture::DoubleClick << none << false;
    QTest::addRow("about: Escape held") << about << "" << Gesture::KeyPressOnly << Qt::Key_Escape << false;
    QTest::addRow("about: stray key release")
        << about << "" << Gesture::KeyReleaseOnly << Qt::Key_Return << false;
}

void InfoWindowsTest::gestures() {
    QFETCH(Window, window);
    QFETCH(QString, part);
    QFETCH(Gesture, gesture);
    QFETCH(Qt::Key, key);
    QFETCH(bool, closes);

    const std::unique_ptr<InfoDialog> dialog = MakeWindow(window);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QWidget* target = Part(dialog.get(), part);
    QVERIFY2(target != nullptr, qPrintable(part));

    Perform(dialog.get(), target, gesture, key);
    const bool stillOpen = dialog->isVisible();
    Finish(dialog.get(), gesture, key);
    QCOMPARE(stillOpen, !closes);
}

void InfoWindowsTest::versionLine() {
    frmAbout about;
    const auto* copy = about.findChild<QLabel*>(QStringLiteral("lbCopy"));
    QVERIFY(copy != nullptr);
    QCOMPARE(copy->text(), QStringLiteral("ODL - Ondulo (Vers. 1.0 Build 4 - January 2004)"));
}

void InfoWindowsTest::helpPanelTexts_data() {
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("text");
    QTest::addRow("first") << "SSPanel1_0"
                           << "Use Ondulo to look inside a WAV file and discover its internal structure.";
    QTest::addRow("third") << "SSPanel1_2"
                           << "Each chunk is showed inside the left grid, with its size. Click on each chunk "
                              "to see the list of its components and values. ";
}

void InfoWindowsTest::helpPanelTexts() {
    QFETCH(QString, panel);
    QFETCH(QString, text);
    frmHelp help;
    const auto* label = help.findChild<QLabel*>(panel);
    QVERIFY(label != nullptr);
    QCOMPARE(label->text(), text);
}

void InfoWindowsTest::noPartTakesTheFocus_data() {
    QTest::addColumn<Window>("window");
    QTest::addRow("help") << Window::Help;
    QTest::addRow("about") << Window::About;
}

// A control that took the focus would swallow Enter or Space, and the key's
// release would no longer reach the window.
void InfoWindowsTest::noPartTakesTheFocus() {
    QFETCH(Window, window);
    const std::unique_ptr<InfoDialog> dialog = MakeWindow(window);
    const auto children = dialog->findChildren<QWidget*>();
    QVERIFY(!children.isEmpty());
    for (const QWidget* child : children) {
        QVERIFY2(child->focusPolicy() == Qt::NoFocus, qPrintable(child->objectName()));
    }
}

void InfoWindowsTest::pictures_data() {
    QTest::addColumn<Window>("window");
    QTest::addColumn<QString>("part");
    QTest::addColumn<QSize>("size");
    QTest::addRow("help picture") << Window::Help << "Picture1" << QSize(200, 63);
    QTest::addRow("about banner") << Window::About << "Image1" << QSize(460, 120);
}

void InfoWindowsTest::pictures() {
    QFETCH(Window, window);
    QFETCH(QString, part);
    QFETCH(QSize, size);
    const std::unique_ptr<InfoDialog> dialog = MakeWindow(window);
    QWidget* picture = Part(dialog.get(), part);
    QVERIFY(picture != nullptr);
    QCOMPARE(picture->size(), size);

    // Drawn at the screen's density, not scaled up: at pixel ratio 2 the
    // picture fills twice as many pixels each way, and something is drawn.
    QImage image(size * 2, QImage::Format_ARGB32);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    picture->render(&image);
    QCOMPARE(image.size(), size * 2);
    QVERIFY(image.pixelColor(size.width(), size.height() / 2).alpha() > 0);
    QVERIFY(image.pixelColor(image.width() - 3, image.height() / 2).alpha() > 0);
}

void InfoWindowsTest::iconSizes() {
    const QIcon icon = OnduloIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (const int side : {16, 32, 48, 256}) {
        QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
        const QImage image = icon.pixmap(QSize(side, side)).toImage();
        QVERIFY(image.pixelColor(side / 2, side / 2).alpha() > 0);
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);  // rounded corners stay clear
    }
}

QTEST_MAIN(InfoWindowsTest)
#include "tst_info_windows.moc"
