#include "ui/info/frm_help.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/info/picture_view.h"
#include "ui/info/wave_art.h"

namespace {

constexpr int kPanelWidth = 340;

const char* const kPanelTexts[] = {
    "Use Ondulo to look inside a WAV file and discover its internal structure.",
    "Type the name of a WAV file into the white box, or pick it with the Search button. "
    "Then press the Analyse button.",
    "Each chunk is showed inside the left grid, with its size. Click on each chunk to see the list of its "
    "components and values. ",
};

QLabel* MakePanel(const char* text, int index, QWidget* parent) {
    auto* panel = new QLabel(QString::fromUtf8(text), parent);
    panel->setObjectName(QStringLiteral("SSPanel1_%1").arg(index));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setWordWrap(true);
    panel->setAlignment(Qt::AlignCenter);
    panel->setMargin(4);
    panel->setFixedWidth(kPanelWidth);
    return panel;
}

}  // namespace

frmHelp::frmHelp(QWidget* parent) : InfoDialog(parent) {
    setWindowTitle(tr("Help"));
    closeOn(this, Gesture::Click);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* picture = new PictureView(QSize(200, 63), PaintHelpPicture, this);
    picture->setObjectName(QStringLiteral("Picture1"));
    closeOn(picture, Gesture::Click);
    layout->addWidget(picture, 0, Qt::AlignHCenter);

    auto* rule = new QFrame(this);
    rule->setObjectName(QStringLiteral("Shape1"));
    rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    layout->addWidget(rule);

    int index = 0;
    for (const char* text : kPanelTexts) {
        QLabel* panel = MakePanel(text, index++, this);
        closeOn(panel, Gesture::Click);
        layout->addWidget(panel);
    }
}
