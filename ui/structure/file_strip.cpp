#include "ui/structure/file_strip.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "text/display_text.h"
#include "ui/structure/structure_tree_model.h"
#include "ui/widgets/meaning_colours.h"
#include "wavedoc/document/structure_map.h"

namespace {

// The narrowest band while every band can have it and half the strip is
// left for the proportions.
constexpr int kMinimumBand = 3;

// value * numerator / denominator for a pixel position: in long double, so a
// file of any length neither overflows nor loses a pixel.
std::uint64_t Scaled(std::uint64_t value, std::uint64_t numerator, std::uint64_t denominator) {
    return static_cast<std::uint64_t>(static_cast<long double>(value) * static_cast<long double>(numerator) /
                                      static_cast<long double>(denominator));
}

}  // namespace

FileStrip::FileStrip(const StructureTreeModel& tree, std::uint64_t fileLength, QWidget* parent)
    : QWidget(parent), tree_(tree), fileLength_(fileLength) {
    setObjectName(QStringLiteral("fileStrip"));
    setAccessibleName(tr("File strip"));
    setAccessibleDescription(
        tr("The whole file, each entry as a band as wide as its share of the file; "
           "click to select an entry."));
    setMouseTracking(false);
    const int rows = tree.rowCount();
    bands_.reserve(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        const int item = tree.ItemOf(tree.index(row, 0));
        const std::uint64_t start = tree.Start(item);
        const wavedoc::MapEntry* entry = tree.EntryOf(item);
        const bool audio = entry != nullptr && entry->IsChunk() && entry->id == "data";
        bands_.push_back({item, start, tree.Covered(item), LookOf(tree, start), audio});
    }
}

void FileStrip::SetSelected(int item) {
    while (item != StructureTreeModel::kNoItem && tree_.ParentOf(item) != StructureTreeModel::kNoItem)
        item = tree_.ParentOf(item);
    int selected = -1;
    for (std::size_t i = 0; i < bands_.size(); ++i) {
        if (bands_[i].item == item) selected = static_cast<int>(i);
    }
    if (selected == selected_) return;
    selected_ = selected;
    update();
}

void FileStrip::SetFindings(std::vector<std::pair<std::uint64_t, int>> findings) {
    findings_ = std::move(findings);
    update();
}

void FileStrip::Layout() const {
    const int width = std::max(1, this->width());
    if (width == laidOutWidth_ && edges_.size() == bands_.size() + 1) return;
    laidOutWidth_ = width;
    edges_.assign(bands_.size() + 1, 0);
    const std::uint64_t total = std::max<std::uint64_t>(fileLength_, 1);
    const auto count = static_cast<std::uint64_t>(bands_.size());
    // Each band gets the minimum first when that leaves half the strip.
    const bool minimum = count * kMinimumBand <= static_cast<std::uint64_t>(width) / 2;
    const std::uint64_t spare = minimum ? static_cast<std::uint64_t>(width) - count * kMinimumBand
                                        : static_cast<std::uint64_t>(width);
    for (std::size_t i = 0; i < bands_.size(); ++i) {
        const std::uint64_t fixed = minimum ? i * kMinimumBand : 0;
        const std::uint64_t share = Scaled(std::min(bands_[i].start, total), spare, total);
        edges_[i] =
            static_cast<int>(std::min<std::uint64_t>(fixed + share, static_cast<std::uint64_t>(width)));
    }
    edges_.back() = width;
}

std::pair<int, int> FileStrip::BandOf(std::size_t band) const {
    Layout();
    if (band >= bands_.size()) return {0, 0};
    return {edges_[band], edges_[band + 1]};
}

int FileStrip::ItemAt(int x) const {
    Layout();
    if (bands_.empty()) return StructureTreeModel::kNoItem;
    // The last band starting at or before x.
    const auto after = std::upper_bound(edges_.begin(), edges_.end() - 1, x);
    if (after == edges_.begin()) return bands_.front().item;
    return bands_[static_cast<std::size_t>(after - edges_.begin() - 1)].item;
}

QSize FileStrip::sizeHint() const { return {200, fontMetrics().height() + 6}; }

QSize FileStrip::minimumSizeHint() const { return {40, fontMetrics().height() + 6}; }

void FileStrip::paintEvent(QPaintEvent* /*event*/) {
    Layout();
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::Base));
    const int top = 3;
    const int height = this->height() - 6;
    int drawnTo = -1;  // the last pixel column painted: smaller bands in it are left out
    // The audio a colour of its own, so that a file of mostly sound does not
    // read as a bar of text.
    const QColor audio = Readable(QColor(46, 139, 87), {colours.color(QPalette::Base)});
    for (std::size_t i = 0; i < bands_.size(); ++i) {
        const int left = edges_[i];
        const int right = std::max(edges_[i + 1], left + 1);
        if (right - 1 <= drawnTo) continue;
        const Band& band = bands_[i];
        QColor fill =
            band.audio ? audio
                       : KindColour(band.look.kind == ByteKind::Stray ? ByteKind::Stray : ByteKind::Content,
                                    colours);
        if (!band.look.listed) fill.setAlpha(110);
        const QRect area(std::max(left, drawnTo + 1), top, right - std::max(left, drawnTo + 1), height);
        painter.fillRect(area, fill);
        if (band.look.damaged)
            painter.fillRect(area, QBrush(colours.color(QPalette::Base), Qt::BDiagPattern));
        if (band.look.kind != ByteKind::Stray && right - left >= 3) {
            painter.fillRect(QRect(left, top, 1, height), KindColour(ByteKind::Header, colours));
        }
        drawnTo = right - 1;
    }
    // Findings: a tick at their offset, longer for the graver levels.
    for (const auto& [offset, level] : findings_) {
        // The band holding the offset (the last starting at or before it), and the place within it.
        const auto after =
            std::upper_bound(bands_.begin(), bands_.end(), offset,
                             [](std::uint64_t at, const Band& band) { return at < band.start; });
        if (after == bands_.begin()) continue;
        const auto i = static_cast<std::size_t>(after - bands_.begin() - 1);
        const auto [left, right] = BandOf(i);
        const std::uint64_t length = std::max<std::uint64_t>(bands_[i].length, 1);
        const std::uint64_t within = std::min(offset - bands_[i].start, length);
        const int x =
            left + static_cast<int>(Scaled(within, static_cast<std::uint64_t>(right - left), length));
        const int tick = level == 0 ? height : level == 1 ? height * 2 / 3 : height / 3;
        painter.fillRect(QRect(x, top, 2, tick), colours.color(QPalette::Highlight));
    }
    if (selected_ >= 0) {
        const auto [left, right] = BandOf(static_cast<std::size_t>(selected_));
        painter.setPen(QPen(colours.color(QPalette::Highlight), 2));
        painter.drawRect(QRect(left + 1, 1, std::max(right - left - 2, 1), this->height() - 2));
    }
}

void FileStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int item = ItemAt(static_cast<int>(event->position().x()));
    if (item != StructureTreeModel::kNoItem) emit ItemClicked(item);
}

bool FileStrip::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int item = ItemAt(help->pos().x());
    if (item == StructureTreeModel::kNoItem) {
        QToolTip::hideText();
        return true;
    }
    const std::uint64_t length = tree_.Covered(item);
    const double share =
        100.0 * static_cast<double>(length) / static_cast<double>(std::max<std::uint64_t>(fileLength_, 1));
    const QString name = tree_.IndexOf(item, StructureTreeModel::ChunkColumn).data().toString();
    QToolTip::showText(help->globalPos(),
                       tr("%1 at offset %2: %3 bytes, %4 % of the file")
                           .arg(name)
                           .arg(tree_.Start(item))
                           .arg(QString::fromStdString(text::GroupedThousands(length)))
                           .arg(share, 0, 'f', share < 1 ? 3 : 1),
                       this);
    return true;
}
