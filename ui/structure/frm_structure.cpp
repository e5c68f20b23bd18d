#include "ui/structure/frm_structure.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QStatusBar>
#include <QTreeView>
#include <QUrl>

#include "ui/structure/mend_flow.h"
#include "ui/widgets/work_runner.h"

frmStructure::frmStructure(report::Analysis analysis, UserPrompts& prompts, QWidget* parent)
    : QMainWindow(parent), analysis_(std::move(analysis)), prompts_(prompts) {
    setObjectName(QStringLiteral("frmStructure"));
    setAttribute(Qt::WA_DeleteOnClose);
    jobs_ = new WorkRunner(this);
    mend_ = new MendFlow(this, analysis_, prompts_, *jobs_);
    connect(mend_, &MendFlow::BytesChosen, this, &frmStructure::SelectRange);
    connect(mend_, &MendFlow::Said, this,
            [this](const QString& sentence) { statusBar()->showMessage(sentence); });
    connect(mend_, &MendFlow::CopyToOpen, this, &frmStructure::CopyToOpen);
    setWindowTitle(tr("Structure of %1 - Ondulo")
                       .arg(QFileInfo(QFile::decodeName(QByteArray::fromStdString(Path()))).fileName()));
    BuildViews();
    BuildMenus();
    setAcceptDrops(true);
    BuildSoundDock();
    SelectItem(0);
    tvStructure_->setFocus(Qt::OtherFocusReason);
}

frmStructure::~frmStructure() {
    // Work still running is cancelled and waited for first: what it leaves
    // to do touches the views.
    delete jobs_;
    jobs_ = nullptr;
    // The views read the analysis through their models even as the window is
    // taken apart (a last layout of the tree), so they go before it does.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

namespace {

// The first local file among dropped items.
std::optional<QString> DroppedFile(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls()) return std::nullopt;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) return url.toLocalFile();
    }
    return std::nullopt;
}

}  // namespace

void frmStructure::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedFile(event->mimeData())) event->acceptProposedAction();
}

void frmStructure::dropEvent(QDropEvent* event) {
    const std::optional<QString> path = DroppedFile(event->mimeData());
    if (!path) return;
    event->acceptProposedAction();
    emit FileDropped(*path);
}
