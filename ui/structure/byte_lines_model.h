#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QItemSelection>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace wavedoc {
class ByteSource;
}

// The bytes of one stretch of a file, 16 a line: the offset, one column per
// byte in hex, and the line as text. A line is read only when the view asks
// for it, through the document's source, which checks that the file is still
// the one analysed; a small block around it is kept, so scrolling reads a few
// kilobytes at a time whatever the stretch's length, and nothing else is held.
//
// A view keeps a few bytes per row whatever the rows hold, so a stretch of
// more than kMostLines lines (a 4 GB data chunk has 268 million) is shown
// through a window of that many lines, which Reveal moves to any byte; the
// offset column always gives the bytes' real offsets.
//
// A read that fails (the file changed or went away) ends the reading: the
// model then shows no bytes and Failure() says why, naming the file.
#include "ui/structure/byte_kinds.h"
#include "ui/structure/offset_text.h"

class ByteLinesModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kBytesPerLine = 16;
    static constexpr int kOffsetColumn = 0;
    static constexpr int kTextColumn = kBytesPerLine + 1;
    // The most lines shown at once: 1 MB of bytes. The view's row header
    // keeps 16 bytes for each line, so a larger window costs megabytes of
    // memory that no one scrolls through.
    static constexpr int kMostLines = 1 << 16;

    explicit ByteLinesModel(QObject* parent = nullptr);

    // Shows `length` bytes of `source` from `start` (nothing for a null
    // source); the source must outlive the model or the next call.
    void SetStretch(const wavedoc::ByteSource* source, std::uint64_t start, std::uint64_t length);
    std::uint64_t Start() const { return start_; }
    std::uint64_t Length() const { return length_; }
    // The lines of the stretch, and the first of those the rows show.
    std::uint64_t TotalLines() const { return totalLines_; }
    std::uint64_t FirstLineShown() const { return firstLine_; }
    // Moves the window of lines so that it holds byte `byte` (counted from
    // Start()), a little way in from the edge it is near; true when it moved
    // (the model is reset then).
    bool Reveal(std::uint64_t byte);

    // The first and last byte a cell stands for, counted from Start(): its
    // byte, or for the offset and text columns the whole line.
    std::uint64_t FirstByteOf(int row, int column) const;
    std::uint64_t LastByteOf(int row, int column) const;
    // The cell that shows byte `byte` (counted from Start()); invalid past the
    // stretch or past the lines a view can count.
    QModelIndex IndexOfByte(std::uint64_t byte) const;
    // The byte cells of the run of bytes between two cells, both included,
    // whichever comes first in the file: what a drag or Shift with the arrows
    // selects. An offset or text cell stands for its whole line.
    QItemSelection Run(const QModelIndex& from, const QModelIndex& to) const;

    // Up to `count` bytes from `byte` (counted from Start()), or nothing when
    // the read fails (Failure() says why then).
    std::optional<std::string> Bytes(std::uint64_t byte, std::uint64_t count) const;
    // Why the bytes cannot be shown, or empty.
    const QString& Failure() const { return failure_; }

    // The bytes marked as the selected entry's or field's, first and last,
    // counted from Start(): shown on the palette's highlight, lighter than a
    // selection. Nothing marks none.
    using Span = std::pair<std::uint64_t, std::uint64_t>;
    void SetMarked(std::optional<Span> marked);
    const std::optional<Span>& Marked() const { return marked_; }
    // Whether a cell shows a marked byte (for the text column: any of its line's).
    bool IsMarked(int row, int column) const;
    // The background of a marked byte: the palette's highlight let through
    // by half, so a selection on it still stands out and a dark palette or
    // high contrast gives its own.
    static QColor MarkedColour();
    // How the text column draws each character of a line: in its byte's
    // colour and face, as the byte's hex cell, on the marked background
    // when the byte is marked.
    struct CharLook {
        QColor colour;
        bool italic = false;
        bool bold = false;
        bool marked = false;
    };
    std::vector<CharLook> TextLooks(int row) const;
    // What each byte is, by its offset in the file: its hex cell and its
    // character take the kind's colour, italic when its entry is not listed,
    // bold when damaged. Asked only for the cells shown.
    using LookOfByte = std::function<ByteLook(std::uint64_t)>;
    void SetLook(LookOfByte look) { look_ = std::move(look); }
    // How the offset column writes offsets.
    void SetOffsetBase(OffsetBase base);
    // Drops the bytes kept, so that the lines shown next are read again and a
    // file changed since is found then.
    void ForgetBytes();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The text column's character for a byte: printable ASCII as it is, any
    // other byte as '.'.
    static char TextOf(unsigned char byte);

signals:
    // A read failed; `sentence` names the file. Sent once, after the view's
    // request that met it has returned.
    void ReadFailed(const QString& sentence);

private:
    // The line's bytes (fewer on the last line), or nothing after a failure.
    std::optional<std::string> Line(int row) const;
    void Fail(const QString& sentence) const;

    const wavedoc::ByteSource* source_ = nullptr;
    std::uint64_t start_ = 0;
    std::uint64_t length_ = 0;
    std::uint64_t totalLines_ = 0;
    std::uint64_t firstLine_ = 0;        // the line the first row shows
    int lines_ = 0;                      // rows: at most kMostLines
    mutable std::string cache_;          // bytes read around the lines last shown
    mutable std::uint64_t cacheAt_ = 0;  // where cache_ starts, counted from start_
    mutable QString failure_;
    std::optional<Span> marked_;
    LookOfByte look_;
    OffsetBase base_ = OffsetBase::Decimal;
};
