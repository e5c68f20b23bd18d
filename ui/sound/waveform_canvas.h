#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "sound/markers.h"
#include "sound/measure.h"

// Draws the overview of each channel under a time ruler, with the file's
// markers: cue points as labelled lines, labelled-text regions as shaded
// spans, sampler loops as brackets, playlist segments as bars. The wheel
// zooms around the pointer (with Shift, or sideways, it scrolls); so do the
// keys +, -, Left, Right, Home, End and 0 (the whole sound), down to single
// samples, drawn as dots. A click on a marker tells its record's offset and
// selects it; a click elsewhere puts the cursor there. Space asks to play
// (or stop), Escape to stop while the play line shows.
// Markers that lie past the end of the audio are drawn at its end, dashed,
// and counted there.
class WaveformCanvas : public QWidget {
    Q_OBJECT

public:
    explicit WaveformCanvas(QWidget* parent = nullptr);

    // The sound's length and channels, before any overview arrives.
    void SetShape(std::uint64_t frames, unsigned channels, std::uint32_t sampleRate);
    void SetMarkers(std::vector<sound::Marker> markers);
    // What each lane is called ("1 Front left"), and which channels the
    // loudness leaves out, marked so on their lanes.
    void SetLaneNames(std::vector<QString> names, std::vector<bool> leftOut);
    // The overview of the whole sound, and a finer one of part of it.
    void SetWhole(sound::Overview overview);
    void SetRefined(sound::Overview overview);
    // Markers whose record lies in [from, to) are drawn highlighted.
    void Highlight(std::uint64_t from, std::uint64_t to);

    std::uint64_t Frames() const { return frames_; }
    std::uint64_t ViewStart() const { return viewStart_; }
    std::uint64_t ViewFrames() const { return viewFrames_; }
    // Shows frames [start, start + frames), within the sound.
    void SetView(std::uint64_t start, std::uint64_t frames);
    // The marker drawn at a point of the canvas, if any.
    const sound::Marker* MarkerAt(QPoint point) const;
    // The marker last clicked, unless the cursor was put down since.
    const std::optional<sound::Marker>& Selected() const { return selected_; }
    std::uint64_t Cursor() const { return cursor_; }
    // Where playing is, drawn as a line; nothing when not playing.
    void SetPlayLine(std::optional<std::uint64_t> frame);
    std::optional<std::uint64_t> PlayLine() const { return playLine_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void MarkerActivated(std::uint64_t recordOffset);
    // A sampler loop was clicked.
    void LoopChosen(const sound::Marker& loop);
    void ViewChanged();
    // Space: play what is selected, or stop playing.
    void PlayPressed();
    void StopPressed();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // A wider canvas has more pixels than the overview may have buckets.
    void resizeEvent(QResizeEvent* event) override;

private:
    double XOf(std::uint64_t frame) const;
    // Where a marker is drawn: its left and right edge (the same for a
    // point), kept to the end of the audio; and whether it lies past it.
    struct Drawn {
        double left;
        double right;
        bool outside;
    };
    Drawn Place(const sound::Marker& marker) const;
    std::uint64_t FrameAt(double x) const;
    void Zoom(double factor, double aroundX);
    void Scroll(double pages);
    QRect WaveArea() const;
    void PaintRuler(QPainter& painter) const;
    void PaintChannels(QPainter& painter) const;
    void PaintMarkers(QPainter& painter) const;
    void PaintLaneNames(QPainter& painter, unsigned lanes, double laneHeight) const;
    void PaintScale(QPainter& painter, unsigned lanes, double laneHeight) const;
    void PaintOutside(QPainter& painter) const;
    void PaintPlaces(QPainter& painter) const;

    std::uint64_t frames_ = 0;
    unsigned channels_ = 0;
    std::uint32_t sampleRate_ = 0;
    std::uint64_t viewStart_ = 0;
    std::uint64_t viewFrames_ = 0;
    std::vector<sound::Marker> markers_;
    std::vector<QString> laneNames_;
    std::vector<bool> leftOut_;
    std::optional<sound::Overview> whole_;
    std::optional<sound::Overview> refined_;
    std::uint64_t highlightFrom_ = 0;
    std::uint64_t highlightTo_ = 0;
    std::optional<sound::Marker> selected_;
    std::uint64_t cursor_ = 0;
    std::optional<std::uint64_t> playLine_;
};

// "1:02:03.456": a time for the ruler, rounded to the nearest millisecond.
QString TimeText(std::uint64_t frame, std::uint32_t sampleRate);
