#include "ui/info/frm_about.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ondulo_version.h"
#include "ui/info/picture_view.h"
#include "ui/info/wave_art.h"

namespace {

constexpr int kTextWidth = 460;
const QSize kBannerSize(kTextWidth, 120);

const char* const kProduct = "ODL - Ondulo";
const char* const kReleaseDate = "January 2004";

// Terms of use (the MIT licence in LICENSE), no warranty, contact.
const char* const kParagraphs[] = {
    "Ondulo is free software under the MIT License. Anyone may use, copy, modify, merge, publish, "
    "distribute, sublicense and sell copies of it, free of charge, provided the copyright notice "
    "\"Copyright (c) the Ondulo developers\" and the licence text are kept with every copy.",
    "Ondulo is provided \"as is\", without warranty of any kind, express or implied. In no event shall "
    "the Ondulo developers be liable for any claim, damages or other liability arising from its use.",
    "Questions, problems and ideas are welcome: please open an issue on the Ondulo project's issue "
    "tracker, where the developers read and answer them.",
};

QLabel* MakeText(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setFixedWidth(kTextWidth);
    return label;
}

}  // namespace

QString frmAbout::VersionLine() {
    return QString::fromUtf8(kProduct) + QStringLiteral(" (Vers. ") +
           QString::fromUtf8(ondulo::kVersionMajorMinor) + QStringLiteral(" Build ") +
           QString::fromUtf8(ondulo::kVersionBuild) + QStringLiteral(" - ") +
           QString::fromUtf8(kReleaseDate) + QStringLiteral(")");
}

frmAbout::frmAbout(QWidget* parent) : InfoDialog(parent) {
    setWindowTitle(tr("About Ondulo"));
    closeOn(this, Gesture::Release);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setSpacing(10);

    auto* banner = new PictureView(kBannerSize, PaintAboutBanner, this);
    banner->setObjectName(QStringLiteral("Image1"));
    closeOn(banner, Gesture::Release);
    layout->addWidget(banner);

    QLabel* copy = MakeText(VersionLine(), QStringLiteral("lbCopy"), this);
    QFont bold = copy->font();
    bold.setBold(true);
    copy->setFont(bold);
    // The version line takes no gesture, and a press on it must not reach the
    // window, whose release would otherwise close it.
    copy->setAttribute(Qt::WA_NoMousePropagation);
    layout->addWidget(copy);

    int index = 0;
    for (const char* text : kParagraphs) {
        QLabel* paragraph = MakeText(QString::fromUtf8(text), QStringLiteral("Label1_%1").arg(index++), this);
        closeOn(paragraph, Gesture::DoubleClick);
        layout->addWidget(paragraph);
    }
}
