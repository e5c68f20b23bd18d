#include <QApplication>
#include <memory>

#include "ui/info/ondulo_icon.h"
#include "ui/main/frm_main.h"
#include "ui/widgets/qt_user_prompts.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ondulo"));
    QApplication::setApplicationVersion(QStringLiteral(ONDULO_VERSION));
    // Lets desktops match the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("ondulo"));
    QApplication::setWindowIcon(OnduloIcon());

    frmMain window(std::make_unique<QtUserPrompts>());
    window.show();
    return QApplication::exec();
}
