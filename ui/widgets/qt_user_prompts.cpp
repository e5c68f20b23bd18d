#include "ui/widgets/qt_user_prompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSettings>

QtUserPrompts::QtUserPrompts() {
    // Should the folder not be made, the dialog's settings go where they
    // would anyway: a nuisance, not a failure.
    if (!dialogSettings_.isValid()) return;
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, dialogSettings_.path());
    }
}

void QtUserPrompts::ShowMessage(QWidget* parent, const QString& title, const QString& text,
                                const QString& details) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    // A path may hold '<' or '&': never read it as markup.
    box.setTextFormat(Qt::PlainText);
    // The second paragraph's format is detected from its text; wrapping the
    // escaped text in a paragraph makes it always read as the literal text.
    if (!details.isEmpty()) box.setInformativeText(QStringLiteral("<p>%1</p>").arg(details.toHtmlEscaped()));
    box.exec();
}

std::optional<QString> QtUserPrompts::ChooseFile(QWidget* parent, const QString& startPath,
                                                 const QString& filter) {
    const QString chosen = QFileDialog::getOpenFileName(parent, QString(), startPath, filter);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

std::optional<QString> QtUserPrompts::ChooseSaveFile(QWidget* parent, const QString& startPath,
                                                     const QString& filter) {
    const QString chosen = QFileDialog::getSaveFileName(parent, QString(), startPath, filter);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

bool QtUserPrompts::Confirm(QWidget* parent, const QString& title, const QString& question) {
    QMessageBox box(QMessageBox::Question, title, question, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtUserPrompts::AskText(QWidget* parent, const QString& title, const QString& label,
                                              const QString& suggestion) {
    bool accepted = false;
    const QString text =
        QInputDialog::getText(parent, title, label, QLineEdit::Normal, suggestion, &accepted);
    if (!accepted) return std::nullopt;
    return text;
}
