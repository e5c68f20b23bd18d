#include "ui/structure/mend_flow.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "mend/mend.h"
#include "text/counted.h"
#include "text/display_text.h"
#include "ui/structure/mend_plan_model.h"
#include "ui/widgets/busy_cursor.h"
#include "ui/widgets/user_prompts.h"
#include "ui/widgets/work_runner.h"

namespace {

const QString kMessageTitle = QStringLiteral("Ondulo");

QString Text(const std::string& raw) { return QString::fromStdString(text::DisplayUtf8(raw)); }

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

QString AudioBytes(std::uint64_t bytes) {
    return QString::fromStdString(text::GroupedCounted(bytes, "byte", "bytes"));
}

// What the plan comes to, over its lines.
QString PlanSummary(const mend::Plan& plan) {
    QString summary =
        QObject::tr("The copy keeps the %1 of audio as they are and makes %2:")
            .arg(AudioBytes(plan.audioBytes),
                 QString::fromStdString(text::Counted(plan.changes.size(), "change", "changes")));
    if (!plan.unanswered.empty()) {
        QStringList remaining;
        for (const std::string& error : plan.unanswered) remaining << Text(error);
        summary +=
            QLatin1Char('\n') + QObject::tr("No change answers these errors, which the copy keeps: %1.")
                                    .arg(remaining.join(", "));
    }
    return summary;
}

// What the copy's own check found that the user should know.
QString RecheckSentence(const mend::Recheck& recheck) {
    if (!recheck.loaded) return QObject::tr("The copy could not be checked again.");
    if (!recheck.unfinished.empty()) return Text(recheck.unfinished);
    if (recheck.errors.empty()) return QObject::tr("Its own check finds no error.");
    QStringList codes;
    for (const wavecheck::Finding& error : recheck.errors) codes << Text(error.code);
    codes.removeDuplicates();
    return QObject::tr("Its own check still finds %1 that no mend answers: %2.")
        .arg(QString::fromStdString(text::Counted(recheck.errors.size(), "error", "errors")),
             codes.join(", "));
}

}  // namespace

MendFlow::MendFlow(QWidget* window, const report::Analysis& analysis, UserPrompts& prompts,
                   WorkRunner& runner)
    : QObject(window), window_(window), analysis_(analysis), prompts_(prompts), runner_(runner) {}

void MendFlow::ShowPlan() {
    {
        BusyCursor busy;
        plan_ = mend::MakePlan(analysis_);
    }
    if (plan_.Refused()) {
        prompts_.ShowMessage(window_, kMessageTitle, Text(plan_.refusal), QString());
        return;
    }
    if (plan_.NothingToMend()) {
        prompts_.ShowMessage(window_, kMessageTitle,
                             tr("There is nothing to mend in \"%1\": no finding of the check is one a mended "
                                "copy answers.")
                                 .arg(Native(QFile::decodeName(QByteArray::fromStdString(analysis_.path)))),
                             QString());
        return;
    }
    delete planWindow_;
    BuildPlanWindow();
    planWindow_->show();
    planWindow_->raise();
    planWindow_->activateWindow();
}

void MendFlow::BuildPlanWindow() {
    planWindow_ = new QDialog(window_);
    planWindow_->setObjectName(QStringLiteral("dlgMendPlan"));
    planWindow_->setAttribute(Qt::WA_DeleteOnClose);
    const QFileInfo source(QFile::decodeName(QByteArray::fromStdString(analysis_.path)));
    planWindow_->setWindowTitle(tr("Mended Copy of %1").arg(source.fileName()));

    auto* summary = new QLabel(PlanSummary(plan_), planWindow_);
    summary->setObjectName(QStringLiteral("lbMendSummary"));
    summary->setTextFormat(Qt::PlainText);
    summary->setWordWrap(true);

    auto* lines = new QTableView(planWindow_);
    lines->setObjectName(QStringLiteral("tvMendPlan"));
    lines->setModel(new MendPlanModel(plan_, lines));
    lines->setSelectionBehavior(QAbstractItemView::SelectRows);
    lines->setSelectionMode(QAbstractItemView::SingleSelection);
    lines->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lines->setWordWrap(false);
    lines->verticalHeader()->hide();
    lines->horizontalHeader()->setStretchLastSection(true);
    lines->resizeColumnsToContents();
    connect(lines->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, lines](const QModelIndex& current) {
                if (!current.isValid()) return;
                const auto place = static_cast<const MendPlanModel*>(lines->model())->PlaceOf(current.row());
                emit BytesChosen(place.offset, place.length);
            });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, planWindow_);
    QPushButton* save = buttons->addButton(tr("&Save mended copy…"), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("pbSaveMendedCopy"));
    connect(save, &QPushButton::clicked, this, [this] {
        if (SaveCopy() && planWindow_) planWindow_->close();
    });
    connect(buttons, &QDialogButtonBox::rejected, planWindow_, &QDialog::close);

    auto* layout = new QVBoxLayout(planWindow_);
    layout->addWidget(summary);
    layout->addWidget(lines, 1);
    layout->addWidget(buttons);
    planWindow_->resize(760, 320);
}

bool MendFlow::SaveCopy() {
    if (runner_.Busy()) {
        emit Said(tr("A search or a save is still running: wait for it, or cancel it, first."));
        return false;
    }
    const QFileInfo source(QFile::decodeName(QByteArray::fromStdString(analysis_.path)));
    const std::optional<QString> chosen = prompts_.ChooseSaveFile(
        window_, source.dir().filePath(source.completeBaseName() + QStringLiteral("-mended.wav")),
        tr("WAV file (*.wav)"));
    if (!chosen) return false;
    const QString destination = *chosen;
    const std::string to = QFile::encodeName(destination).toStdString();
    WorkRunner::Job job{
        .title = tr("Save Mended Copy"),
        .total = plan_.destLength,
        .progressText =
            [](std::uint64_t written) {
                return tr("Writing the mended copy: %1 written.")
                    .arg(QString::fromStdString(text::GroupedCounted(written, "byte", "bytes")));
            },
        // The analysis and the plan are the thread's own copies: it keeps
        // them whatever becomes of the window.
        .work = [this, analysis = analysis_, plan = plan_, to,
                 destination](JobControl& control) -> std::function<void()> {
            mend::WriteOptions options;
            options.cancel = &control.cancel;
            options.progress = [&control](std::uint64_t done, std::uint64_t) { control.done = done; };
            mend::WriteResult result = mend::WritePlan(analysis, plan, to, options);
            mend::Recheck recheck;
            if (result.status == mend::WriteStatus::Written) recheck = mend::CheckCopy(to);
            return [this, destination, result = std::move(result), recheck = std::move(recheck)] {
                Written(destination, result, recheck);
            };
        },
    };
    return runner_.Start(std::move(job));
}

void MendFlow::Written(const QString& destination, const mend::WriteResult& result,
                       const mend::Recheck& recheck) {
    switch (result.status) {
        case mend::WriteStatus::Written:
            break;
        case mend::WriteStatus::Cancelled:
            emit Said(tr("The mended copy was not saved: the writing was cancelled."));
            return;
        default:
            prompts_.ShowMessage(window_, kMessageTitle, Text(result.message), QString());
            return;
    }
    const QFileInfo source(QFile::decodeName(QByteArray::fromStdString(analysis_.path)));
    const QString sentence =
        tr("The mended copy was saved to %1. Its %2 of audio have the SHA-256 of those of %3 (%4). %5")
            .arg(Native(destination), AudioBytes(result.audioBytes), source.fileName(),
                 QString::fromStdString(result.destAudioSha256), RecheckSentence(recheck));
    emit Said(tr("The mended copy was saved to %1.").arg(Native(destination)));
    if (prompts_.Confirm(
            window_, kMessageTitle,
            sentence + QLatin1Char('\n') + tr("Open the copy in a structure window of its own?"))) {
        emit CopyToOpen(destination);
    }
}
