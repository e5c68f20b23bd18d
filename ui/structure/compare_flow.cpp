#include "ui/structure/compare_flow.h"

#include <QCheckBox>
#include <QDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>

#include "diff/audio_sentence.h"
#include "text/display_text.h"
#include "ui/widgets/user_prompts.h"
#include "ui/widgets/work_runner.h"

namespace {

const QString kMessageTitle = QStringLiteral("Ondulo");
const QString kWavFilter = QObject::tr("WAV files (*.wav *.wave *.bwf *.rf64);;All files (*)");

enum Column { kEntry, kChange, kInA, kInB };
// Where a line's bytes lie in this file (A), kept in the line for selecting them.
constexpr int kOffsetRole = Qt::UserRole;
constexpr int kLengthRole = Qt::UserRole + 1;

QString Text(const std::string& raw) { return QString::fromStdString(text::DisplayUtf8(raw)); }

QString RangeText(const std::optional<rows::ByteRange>& at) {
    if (!at) return {};
    return QStringLiteral(" @%1+%2").arg(at->offset).arg(at->length);
}

QString Value(const std::optional<std::string>& value, const std::optional<rows::ByteRange>& at) {
    return value ? Text(*value) + RangeText(at) : QString();
}

QString PlaceText(const std::optional<diff::Place>& place) {
    if (!place) return {};
    return QObject::tr("@%1, %2 bytes").arg(place->offset).arg(place->covered);
}

void KeepRange(QTreeWidgetItem* item, std::uint64_t offset, std::uint64_t length) {
    item->setData(kEntry, kOffsetRole, QVariant::fromValue<qulonglong>(offset));
    item->setData(kEntry, kLengthRole, QVariant::fromValue<qulonglong>(length));
}

void AddRows(QTreeWidgetItem* parent, const std::vector<diff::RowChange>& rows) {
    for (const diff::RowChange& row : rows) {
        const QString change = !row.a   ? QObject::tr("added")
                               : !row.b ? QObject::tr("dropped")
                                        : QObject::tr("changed");
        auto* item = new QTreeWidgetItem(
            parent, {Text(row.label), change, Value(row.a, row.atA), Value(row.b, row.atB)});
        if (row.atA) KeepRange(item, row.atA->offset, row.atA->length);
    }
}

QString RecordChange(diff::Presence presence) {
    switch (presence) {
        case diff::Presence::OnlyA:
            return QObject::tr("dropped");
        case diff::Presence::OnlyB:
            return QObject::tr("added");
        case diff::Presence::Both:
            break;
    }
    return QObject::tr("changed");
}

}  // namespace

CompareFlow::CompareFlow(QWidget* window, const report::Analysis& analysis, UserPrompts& prompts,
                         WorkRunner& runner)
    : QObject(window), window_(window), analysis_(analysis), prompts_(prompts), runner_(runner) {}

void CompareFlow::Start() {
    const std::optional<QString> chosen = prompts_.ChooseFile(
        window_, QFileInfo(QFile::decodeName(analysis_.path.c_str())).absolutePath(), kWavFilter);
    if (!chosen) return;
    const std::string other = QFile::encodeName(*chosen).toStdString();
    const report::Analysis mine = analysis_;
    runner_.Start({tr("Comparing"), 0, [](std::uint64_t) { return tr("Comparing the two files…"); },
                   [this, mine, other](JobControl&) -> std::function<void()> {
                       auto result = std::make_shared<diff::Diff>();
                       try {
                           *result = diff::Compare(mine, report::Analyse(other));
                       } catch (const std::exception& failure) {
                           // The runner's work throws nothing: what escapes is the comparison's trouble.
                           result->trouble = failure.what();
                       }
                       return [this, result] { Show(*result); };
                   }});
}

void CompareFlow::Show(const diff::Diff& diff) {
    if (diff.Trouble()) {
        prompts_.ShowMessage(window_, kMessageTitle, tr("The two files could not be compared."),
                             Text(diff.trouble));
        return;
    }
    if (result_) result_->close();
    result_ = new QDialog(window_);
    result_->setAttribute(Qt::WA_DeleteOnClose);
    result_->setObjectName(QStringLiteral("dlgCompare"));
    result_->setWindowTitle(
        tr("Compared with %1").arg(QFileInfo(QFile::decodeName(diff.pathB.c_str())).fileName()));
    auto* layout = new QVBoxLayout(result_);
    QString summary = diff.Same() ? tr("The two files are the same.")
                                  : tr("%n entries differ.", "", static_cast<int>(diff.ChangedEntries()));
    if (diff.formA != diff.formB) {
        summary += QLatin1Char(' ') +
                   tr("Form: %1 → %2%3.")
                       .arg(Text(diff.formA), Text(diff.formB),
                            diff.FormAndSizesOnly() ? tr(", in form and sizes, not in content") : QString());
    }
    summary += QLatin1Char('\n') + tr("Audio: %1.").arg(Text(diff::AudioSentence(diff.audio)));
    auto* said = new QLabel(summary, result_);
    said->setObjectName(QStringLiteral("lbCompareSummary"));
    said->setWordWrap(true);
    layout->addWidget(said);
    changesOnly_ = new QCheckBox(tr("Show the changes only"), result_);
    changesOnly_->setObjectName(QStringLiteral("cbChangesOnly"));
    changesOnly_->setChecked(true);
    layout->addWidget(changesOnly_);
    tree_ = new QTreeWidget(result_);
    tree_->setObjectName(QStringLiteral("tvCompare"));
    tree_->setHeaderLabels({tr("Entry"), tr("Change"), tr("In this file"), tr("In the other")});
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(tree_);
    FillTree(diff);
    connect(changesOnly_, &QCheckBox::toggled, tree_, [this](bool only) {
        for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = tree_->topLevelItem(i);
            item->setHidden(only && item->text(kChange) == tr("same"));
        }
    });
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item == nullptr || !item->data(kEntry, kOffsetRole).isValid()) return;
        emit BytesChosen(item->data(kEntry, kOffsetRole).toULongLong(),
                         item->data(kEntry, kLengthRole).toULongLong());
    });
    result_->resize(900, 600);
    result_->show();
}

void CompareFlow::FillTree(const diff::Diff& diff) {
    for (const diff::EntryDiff& entry : diff.entries) {
        QString change = QString::fromUtf8(entry.Mark().data(), static_cast<int>(entry.Mark().size()));
        if (entry.moved && entry.Changed()) change += tr(", moved");
        if (entry.Resized()) change += tr(", size %1 → %2").arg(entry.a->declared).arg(entry.b->declared);
        auto* item =
            new QTreeWidgetItem(tree_, {Text(entry.path), change, PlaceText(entry.a), PlaceText(entry.b)});
        if (entry.a) KeepRange(item, entry.a->offset, entry.a->covered);
        item->setHidden(entry.Same());
        AddRows(item, entry.rows);
        for (const diff::RecordChange& record : entry.records) {
            auto* line =
                new QTreeWidgetItem(item, {Text(record.name), RecordChange(record.presence),
                                           RangeText(record.atA).trimmed(), RangeText(record.atB).trimmed()});
            if (record.atA) KeepRange(line, record.atA->offset, record.atA->length);
            AddRows(line, record.rows);
        }
        if (!entry.rows.empty() || !entry.records.empty()) item->setExpanded(true);
    }
    if (diff.audio.firstFrame) {
        auto* audio = new QTreeWidgetItem(
            tree_,
            {tr("audio"), tr("differs from frame %1").arg(*diff.audio.firstFrame), QString(), QString()});
        const std::uint64_t at = diff.audio.a.offset + *diff.audio.firstFrame * diff.audio.a.frameBytes;
        KeepRange(audio, at, diff.audio.a.frameBytes);
    }
}
