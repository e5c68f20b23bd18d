#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

#include "ui/structure/byte_kinds.h"

class StructureTreeModel;

// The whole file in one strip: each top-level entry a band as wide as its
// share of the file, but never narrower than a few pixels while there is
// room (so a 12-byte header shows beside a 4 GB data chunk), coloured as the
// bytes are (the audio in a colour of its own): content, stray bytes, faded when the chunk list does not show
// it, hatched when damaged; its header a line at its start. The selected
// entry is framed; findings are ticks at their offsets. A click selects the
// entry there; the tool tip names it and its share of the file. Painting
// costs one rectangle per pixel column at most, whatever the number of entries.
class FileStrip : public QWidget {
    Q_OBJECT

public:
    FileStrip(const StructureTreeModel& tree, std::uint64_t fileLength, QWidget* parent = nullptr);

    // The entry framed, an item of the tree (its top-level entry is framed).
    void SetSelected(int item);
    // Where findings lie, each with its level (0 the gravest).
    void SetFindings(std::vector<std::pair<std::uint64_t, int>> findings);

    // The top-level item drawn at x, or the tree's kNoItem.
    int ItemAt(int x) const;
    // The pixels a top-level entry (by its place among them) spans.
    std::pair<int, int> BandOf(std::size_t band) const;
    std::size_t BandCount() const { return bands_.size(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void ItemClicked(int item);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Band {
        int item;
        std::uint64_t start;
        std::uint64_t length;
        ByteLook look;
        bool audio;  // the data chunk
    };
    // Where each band starts along the strip, in pixels; recomputed for the
    // width painted.
    void Layout() const;

    const StructureTreeModel& tree_;
    std::uint64_t fileLength_;
    std::vector<Band> bands_;
    std::vector<std::pair<std::uint64_t, int>> findings_;
    int selected_ = -1;               // a band's place, or -1
    mutable std::vector<int> edges_;  // per band its left pixel, then the strip's right end
    mutable int laidOutWidth_ = -1;
};
