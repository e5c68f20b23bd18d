#include "ui/structure/byte_lines_model.h"

#include <QColor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPalette>
#include <algorithm>
#include <new>

#include "text/display_text.h"
#include "wavedoc/reading/byte_source.h"
#include "wavedoc/reading/wave_error.h"

namespace {

// What one read brings in: the lines asked for and those around them, so a
// screen of lines and some scrolling either way cost one read.
constexpr std::uint64_t kCacheBytes = 4096;
constexpr std::uint64_t kLine = ByteLinesModel::kBytesPerLine;

}  // namespace

ByteLinesModel::ByteLinesModel(QObject* parent) : QAbstractTableModel(parent) {}

void ByteLinesModel::SetStretch(const wavedoc::ByteSource* source, std::uint64_t start,
                                std::uint64_t length) {
    beginResetModel();
    source_ = source;
    start_ = start;
    length_ = source != nullptr ? length : 0;
    totalLines_ = length_ / kLine + (length_ % kLine != 0 ? 1 : 0);
    firstLine_ = 0;
    lines_ = static_cast<int>(std::min<std::uint64_t>(totalLines_, kMostLines));
    cache_.clear();
    cache_.shrink_to_fit();
    cacheAt_ = 0;
    failure_.clear();
    marked_.reset();
    endResetModel();
}

bool ByteLinesModel::Reveal(std::uint64_t byte) {
    if (byte >= length_ || IndexOfByte(byte).isValid()) return false;
    const std::uint64_t line = byte / kLine;
    // A quarter of the window before the byte, so that moving on from it in
    // either direction stays inside for a while.
    const std::uint64_t lastFirst = totalLines_ - static_cast<std::uint64_t>(lines_);
    const std::uint64_t before = static_cast<std::uint64_t>(lines_) / 4;
    beginResetModel();
    firstLine_ = std::min(line > before ? line - before : 0, lastFirst);
    endResetModel();
    return true;
}

std::uint64_t ByteLinesModel::FirstByteOf(int row, int column) const {
    const std::uint64_t line = (firstLine_ + static_cast<std::uint64_t>(std::max(row, 0))) * kLine;
    if (column >= 1 && column <= kBytesPerLine) return line + static_cast<std::uint64_t>(column - 1);
    return line;
}

std::uint64_t ByteLinesModel::LastByteOf(int row, int column) const {
    const std::uint64_t last = column >= 1 && column <= kBytesPerLine
                                   ? FirstByteOf(row, column)
                                   : FirstByteOf(row, kOffsetColumn) + kLine - 1;
    return length_ == 0 ? 0 : std::min(last, length_ - 1);
}

QModelIndex ByteLinesModel::IndexOfByte(std::uint64_t byte) const {
    const std::uint64_t line = byte / kLine;
    if (byte >= length_ || line < firstLine_ || line - firstLine_ >= static_cast<std::uint64_t>(lines_))
        return {};
    return index(static_cast<int>(line - firstLine_), static_cast<int>(byte % kLine) + 1);
}

QItemSelection ByteLinesModel::Run(const QModelIndex& from, const QModelIndex& to) const {
    QItemSelection run;
    if (!checkIndex(from, CheckIndexOption::IndexIsValid) || !checkIndex(to, CheckIndexOption::IndexIsValid))
        return run;
    const std::uint64_t first =
        std::min(FirstByteOf(from.row(), from.column()), FirstByteOf(to.row(), to.column()));
    const std::uint64_t last =
        std::max(LastByteOf(from.row(), from.column()), LastByteOf(to.row(), to.column()));
    const auto cell = [this](std::uint64_t byte) { return IndexOfByte(byte); };
    const int firstLine = cell(first).row();
    const int lastLine = cell(last).row();
    if (firstLine == lastLine) {
        run.select(cell(first), cell(last));
        return run;
    }
    // The rest of the first line, the whole lines between, the start of the last.
    run.select(cell(first), index(firstLine, kBytesPerLine));
    if (lastLine > firstLine + 1) run.select(index(firstLine + 1, 1), index(lastLine - 1, kBytesPerLine));
    run.select(index(lastLine, 1), cell(last));
    return run;
}

void ByteLinesModel::SetMarked(std::optional<Span> marked) {
    if (marked == marked_) return;
    marked_ = marked;
    if (lines_ > 0) emit dataChanged(index(0, 0), index(lines_ - 1, kTextColumn), {Qt::BackgroundRole});
}

bool ByteLinesModel::IsMarked(int row, int column) const {
    if (!marked_ || column == kOffsetColumn) return false;
    const std::uint64_t first = FirstByteOf(row, column);
    const std::uint64_t last = LastByteOf(row, column);
    return first <= marked_->second && last >= marked_->first && first < length_;
}

QColor ByteLinesModel::MarkedColour() { return MarkColour(QGuiApplication::palette()); }

std::vector<ByteLinesModel::CharLook> ByteLinesModel::TextLooks(int row) const {
    std::vector<CharLook> looks;
    if (row < 0 || row >= lines_) return looks;
    const std::uint64_t first = FirstByteOf(row, kOffsetColumn);
    const std::uint64_t count = std::min(kLine, length_ - first);
    const QPalette palette = QGuiApplication::palette();
    looks.reserve(count);
    for (std::uint64_t byte = first; byte < first + count; ++byte) {
        CharLook look{
            .colour = palette.color(QPalette::Text), .italic = false, .bold = false, .marked = false};
        if (look_) {
            const ByteLook kind = look_(start_ + byte);
            look.colour = KindColour(kind.kind, palette);
            look.italic = !kind.listed;
            look.bold = kind.damaged;
        }
        look.marked = marked_ && byte >= marked_->first && byte <= marked_->second;
        looks.push_back(look);
    }
    return looks;
}

void ByteLinesModel::SetOffsetBase(OffsetBase base) {
    if (base == base_) return;
    base_ = base;
    if (lines_ > 0) emit dataChanged(index(0, kOffsetColumn), index(lines_ - 1, kOffsetColumn));
}

void ByteLinesModel::ForgetBytes() {
    cache_.clear();
    cacheAt_ = 0;
    if (lines_ > 0) emit dataChanged(index(0, 0), index(lines_ - 1, kTextColumn), {Qt::DisplayRole});
}

std::optional<std::string> ByteLinesModel::Bytes(std::uint64_t byte, std::uint64_t count) const {
    if (source_ == nullptr || !failure_.isEmpty()) return std::nullopt;
    if (byte >= length_) return std::string();
    count = std::min(count, length_ - byte);
    try {
        return source_->Read(start_ + byte, count);
    } catch (const wavedoc::WaveDocError& error) {
        Fail(QString::fromStdString(text::DisplayUtf8(error.what())));
    } catch (const std::bad_alloc&) {
        Fail(tr("The bytes cannot be shown: there is not enough memory."));
    }
    return std::nullopt;
}

std::optional<std::string> ByteLinesModel::Line(int row) const {
    const std::uint64_t first = FirstByteOf(row, kOffsetColumn);
    const std::uint64_t count = std::min(kLine, length_ - first);
    if (first >= cacheAt_ && first + count <= cacheAt_ + cache_.size())
        return cache_.substr(first - cacheAt_, count);
    // Centred on the line, so scrolling up costs no more reads than down.
    const std::uint64_t from = first > kCacheBytes / 2 ? (first - kCacheBytes / 2) / kLine * kLine : 0;
    std::optional<std::string> block = Bytes(from, kCacheBytes);
    if (!block) return std::nullopt;
    cache_ = std::move(*block);
    cacheAt_ = from;
    if (first + count > cacheAt_ + cache_.size()) {
        // The file holds fewer bytes than the map said: it has changed.
        Fail(tr("The file \"%1\" has changed since it was analysed: read it again to see it as it is now.")
                 .arg(QString::fromStdString(text::DisplayUtf8(source_->DisplayName()))));
        return std::nullopt;
    }
    return cache_.substr(first - cacheAt_, count);
}

void ByteLinesModel::Fail(const QString& sentence) const {
    if (!failure_.isEmpty()) return;
    failure_ = sentence;
    cache_.clear();
    // Views ask for data while painting; they hear of it once that is done.
    auto* self = const_cast<ByteLinesModel*>(this);
    QMetaObject::invokeMethod(
        self, [self, sentence] { emit self->ReadFailed(sentence); }, Qt::QueuedConnection);
}

char ByteLinesModel::TextOf(unsigned char byte) {
    return byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
}

int ByteLinesModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : lines_; }

int ByteLinesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kTextColumn + 1;
}

QVariant ByteLinesModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const int column = index.column();
    const bool byteCell = column >= 1 && column <= kBytesPerLine;
    if (role == Qt::FontRole || role == Qt::ForegroundRole) {
        QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        const std::uint64_t byte = FirstByteOf(index.row(), column);
        if (!byteCell || !look_ || byte >= length_) return role == Qt::FontRole ? QVariant(font) : QVariant();
        const ByteLook look = look_(start_ + byte);
        if (role == Qt::ForegroundRole) return KindColour(look.kind, QGuiApplication::palette());
        font.setItalic(!look.listed);
        font.setBold(look.damaged);
        return font;
    }
    if (role == Qt::TextAlignmentRole) {
        const Qt::Alignment across = column == kOffsetColumn ? Qt::AlignRight
                                     : column == kTextColumn ? Qt::AlignLeft
                                                             : Qt::AlignHCenter;
        return QVariant::fromValue(across | Qt::AlignVCenter);
    }
    if (role == Qt::BackgroundRole) {
        // The text column marks its characters one by one (TextLooks).
        if (!byteCell || !IsMarked(index.row(), column)) return {};
        return MarkedColour();
    }
    const std::uint64_t first = FirstByteOf(index.row(), kOffsetColumn);
    if (column == kOffsetColumn) {
        if (role == Qt::DisplayRole) return OffsetText(start_ + first, base_);
        if (role == Qt::ToolTipRole) {
            return tr("Offset %1 (0x%2) of the file")
                .arg(start_ + first)
                .arg(QString::number(start_ + first, 16).toUpper());
        }
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const std::optional<std::string> line = Line(index.row());
    if (!line) return {};
    if (column == kTextColumn) {
        if (role != Qt::DisplayRole) return {};
        std::string text;
        for (const char byte : *line) text += TextOf(static_cast<unsigned char>(byte));
        return QString::fromLatin1(text);
    }
    const auto at = static_cast<std::size_t>(column - 1);
    if (at >= line->size()) return {};
    const auto byte = static_cast<unsigned char>((*line)[at]);
    if (role == Qt::DisplayRole)
        return QString::fromStdString(text::HexDigits(line->substr(at, 1), text::HexCase::Upper));
    return tr("Offset %1 (0x%2): byte 0x%3, %4")
        .arg(start_ + first + at)
        .arg(QString::number(start_ + first + at, 16).toUpper())
        .arg(QString::fromStdString(text::HexDigits(line->substr(at, 1), text::HexCase::Upper)))
        .arg(byte);
}

QVariant ByteLinesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == kOffsetColumn) return tr("Offset");
    if (section == kTextColumn) return tr("Text");
    if (section >= 1 && section <= kBytesPerLine)
        return QString::number(section - 1, 16).toUpper().rightJustified(2, '0');
    return {};
}
