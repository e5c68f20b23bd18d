#include "ui/main/qt_user_prompts.h"

#include <QFileDialog>
#include <QMessageBox>

void QtUserPrompts::ShowMessage(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    // A path may hold '<' or '&': never read it as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

std::optional<QString> QtUserPrompts::ChooseFile(QWidget* parent, const QString& startPath,
                                                 const QString& filter) {
    const QString chosen = QFileDialog::getOpenFileName(parent, QString(), startPath, filter);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}
