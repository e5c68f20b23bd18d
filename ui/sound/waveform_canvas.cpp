#include "ui/sound/waveform_canvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>

#include "text/display_text.h"
#include "ui/widgets/meaning_colours.h"

namespace {

constexpr int kRulerHeight = 34;
constexpr int kMarkerRowHeight = 16;  // the loops' and segments' rows under the channels
constexpr double kZoomStep = 1.25;
constexpr double kNear = 4.0;  // how close a click must be to a line, in pixels

// The colour of each kind of marker, in MarkerKind's order: a hue of its
// own, made to read at least 3:1 against `ground`.
std::array<QColor, 4> KindColours(const QColor& ground) {
    return {Readable(QColor(200, 60, 40), {ground}), Readable(QColor(40, 120, 200), {ground}),
            Readable(QColor(30, 150, 60), {ground}), Readable(QColor(150, 80, 170), {ground})};
}

// A step of 1, 2 or 5 times a power of ten, at least `least`.
double NiceStep(double least) {
    const double power = std::pow(10.0, std::floor(std::log10(std::max(least, 1e-9))));
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * power >= least) return factor * power;
    }
    return 10 * power;
}

}  // namespace

QString TimeText(std::uint64_t frame, std::uint32_t sampleRate) {
    if (sampleRate == 0) return QString::number(frame);
    const std::uint64_t millis = frame * 1000 / sampleRate;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(millis / 3600000)
        .arg(millis / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(millis / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(millis % 1000, 3, 10, QLatin1Char('0'));
}

WaveformCanvas::WaveformCanvas(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setAccessibleName(tr("Waveform"));
    setAccessibleDescription(
        tr("The overview of each channel with the file's markers. The wheel, + and - zoom; "
           "Shift+wheel, Left and Right scroll; 0 shows the whole sound; a click on a "
           "marker selects its record."));
}

QSize WaveformCanvas::sizeHint() const { return {600, 220}; }
QSize WaveformCanvas::minimumSizeHint() const { return {200, kRulerHeight + 2 * kMarkerRowHeight + 40}; }

void WaveformCanvas::SetShape(std::uint64_t frames, unsigned channels, std::uint32_t sampleRate) {
    frames_ = frames;
    channels_ = channels;
    sampleRate_ = sampleRate;
    viewStart_ = 0;
    viewFrames_ = frames;
    whole_.reset();
    refined_.reset();
    update();
}

void WaveformCanvas::SetMarkers(std::vector<sound::Marker> markers) {
    markers_ = std::move(markers);
    update();
}

void WaveformCanvas::SetWhole(sound::Overview overview) {
    whole_ = std::move(overview);
    update();
}

void WaveformCanvas::SetRefined(sound::Overview overview) {
    refined_ = std::move(overview);
    update();
}

void WaveformCanvas::Highlight(std::uint64_t from, std::uint64_t to) {
    highlightFrom_ = from;
    highlightTo_ = to;
    update();
}

void WaveformCanvas::SetView(std::uint64_t start, std::uint64_t frames) {
    frames = std::clamp<std::uint64_t>(frames, std::min<std::uint64_t>(frames_, 16),
                                       std::max<std::uint64_t>(frames_, 1));
    start = std::min(start, frames_ > frames ? frames_ - frames : 0);
    if (start == viewStart_ && frames == viewFrames_) return;
    viewStart_ = start;
    viewFrames_ = frames;
    update();
    emit ViewChanged();
}

QRect WaveformCanvas::WaveArea() const {
    return QRect(0, kRulerHeight, width(), std::max(1, height() - kRulerHeight - 2 * kMarkerRowHeight));
}

double WaveformCanvas::XOf(std::uint64_t frame) const {
    if (viewFrames_ == 0) return 0;
    return (static_cast<double>(frame) - static_cast<double>(viewStart_)) * width() /
           static_cast<double>(viewFrames_);
}

std::uint64_t WaveformCanvas::FrameAt(double x) const {
    if (width() <= 0) return viewStart_;
    const double frame = static_cast<double>(viewStart_) + x * static_cast<double>(viewFrames_) / width();
    return static_cast<std::uint64_t>(std::clamp(frame, 0.0, static_cast<double>(frames_)));
}

void WaveformCanvas::Zoom(double factor, double aroundX) {
    const std::uint64_t anchor = FrameAt(aroundX);
    const auto frames = static_cast<std::uint64_t>(std::max(1.0, static_cast<double>(viewFrames_) * factor));
    const double share = width() > 0 ? aroundX / width() : 0.0;
    const auto before = static_cast<std::uint64_t>(share * static_cast<double>(frames));
    SetView(anchor > before ? anchor - before : 0, frames);
}

void WaveformCanvas::Scroll(double pages) {
    const double shift = pages * static_cast<double>(viewFrames_);
    const double start = std::max(0.0, static_cast<double>(viewStart_) + shift);
    SetView(static_cast<std::uint64_t>(start), viewFrames_);
}

void WaveformCanvas::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    if (delta.x() != 0 || (event->modifiers() & Qt::ShiftModifier) != 0) {
        const int steps = delta.x() != 0 ? delta.x() : delta.y();
        Scroll(-steps / 120.0 * 0.1);
    } else if (delta.y() != 0) {
        Zoom(delta.y() > 0 ? 1 / kZoomStep : kZoomStep, event->position().x());
    }
    event->accept();
}

void WaveformCanvas::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            Zoom(1 / kZoomStep / kZoomStep, width() / 2.0);
            break;
        case Qt::Key_Minus:
            Zoom(kZoomStep * kZoomStep, width() / 2.0);
            break;
        case Qt::Key_Left:
            Scroll(-0.1);
            break;
        case Qt::Key_Right:
            Scroll(0.1);
            break;
        case Qt::Key_PageUp:
            Scroll(-1);
            break;
        case Qt::Key_PageDown:
            Scroll(1);
            break;
        case Qt::Key_Home:
            SetView(0, viewFrames_);
            break;
        case Qt::Key_End:
            SetView(frames_, viewFrames_);
            break;
        case Qt::Key_0:
            SetView(0, frames_);
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

const sound::Marker* WaveformCanvas::MarkerAt(QPoint point) const {
    const sound::Marker* best = nullptr;
    double bestWidth = 0;
    const QRect wave = WaveArea();
    const int loopRow = wave.bottom() + 1;
    for (const sound::Marker& marker : markers_) {
        const double left = XOf(marker.start);
        if (!marker.end) {
            if (std::fabs(point.x() - left) <= kNear && point.y() >= kRulerHeight / 2 &&
                (best == nullptr || bestWidth > 0)) {
                best = &marker;
                bestWidth = 0;
            }
            continue;
        }
        const double right = XOf(*marker.end + 1);
        if (point.x() < left - kNear || point.x() > right + kNear) continue;
        // Loops and segments answer in their rows; regions over the channels.
        const bool inRow = marker.kind == sound::MarkerKind::Loop
                               ? point.y() >= loopRow && point.y() < loopRow + kMarkerRowHeight
                           : marker.kind == sound::MarkerKind::Segment
                               ? point.y() >= loopRow + kMarkerRowHeight
                               : point.y() >= wave.top() && point.y() <= wave.bottom();
        if (!inRow) continue;
        if (best == nullptr || (bestWidth > 0 && right - left < bestWidth)) {
            best = &marker;
            bestWidth = std::max(right - left, 1e-3);
        }
    }
    return best;
}

void WaveformCanvas::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (const sound::Marker* marker = MarkerAt(event->position().toPoint())) {
        emit MarkerActivated(marker->recordOffset);
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void WaveformCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit ViewChanged();
}

void WaveformCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintRuler(painter);
    PaintChannels(painter);
    PaintMarkers(painter);
}

void WaveformCanvas::PaintRuler(QPainter& painter) const {
    painter.setPen(palette().color(QPalette::Text));
    painter.drawLine(0, kRulerHeight - 1, width(), kRulerHeight - 1);
    if (viewFrames_ == 0 || width() <= 0) return;
    // A tick at least every 110 pixels, at a round number of frames.
    const double step = NiceStep(static_cast<double>(viewFrames_) * 110 / width());
    const auto first = static_cast<std::uint64_t>(std::ceil(static_cast<double>(viewStart_) / step) * step);
    const QFontMetrics metrics = fontMetrics();
    for (double frame = static_cast<double>(first); frame <= static_cast<double>(viewStart_ + viewFrames_);
         frame += step) {
        const auto at = static_cast<std::uint64_t>(frame);
        const int x = static_cast<int>(XOf(at));
        painter.drawLine(x, kRulerHeight - 6, x, kRulerHeight - 1);
        painter.drawText(x + 2, metrics.ascent(), TimeText(at, sampleRate_));
        painter.drawText(x + 2, metrics.ascent() + metrics.height() - 2, QString::number(at));
    }
}

void WaveformCanvas::PaintChannels(QPainter& painter) const {
    const QRect wave = WaveArea();
    if (channels_ == 0 || viewFrames_ == 0) return;
    // Only as many lanes as have room for a line each.
    const unsigned lanes =
        std::min<unsigned>(channels_, static_cast<unsigned>(std::max(1, wave.height() / 8)));
    const double laneHeight = static_cast<double>(wave.height()) / lanes;
    const sound::Overview* overview = nullptr;
    if (refined_ && refined_->first <= viewStart_ &&
        refined_->first + refined_->frames >= viewStart_ + viewFrames_) {
        overview = &*refined_;
    } else if (whole_) {
        overview = &*whole_;
    }
    // The peaks read against the ground, the loudness drawn over them against both.
    const QColor ground = palette().color(QPalette::Window);
    const QColor peak = Readable(QColor(90, 120, 160), {ground});
    const QColor rms = Readable(QColor(30, 60, 110), {ground, peak});
    for (unsigned lane = 0; lane < lanes; ++lane) {
        const double middle = wave.top() + laneHeight * (lane + 0.5);
        const double half = laneHeight / 2 - 1;
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(QPointF(0, middle), QPointF(width(), middle));
        if (lane + 1 < lanes) {
            painter.drawLine(QPointF(0, wave.top() + laneHeight * (lane + 1)),
                             QPointF(width(), wave.top() + laneHeight * (lane + 1)));
        }
        if (overview == nullptr || overview->buckets == 0 || lane >= overview->channels) continue;
        const double bucketFrames =
            static_cast<double>(overview->frames) / static_cast<double>(overview->buckets);
        for (int x = 0; x < width(); ++x) {
            const std::uint64_t from = FrameAt(x);
            const std::uint64_t to = std::max(from + 1, FrameAt(x + 1));
            if (from >= overview->first + overview->frames || to <= overview->first) continue;
            const auto b0 = static_cast<std::size_t>(
                static_cast<double>(std::max(from, overview->first) - overview->first) / bucketFrames);
            auto b1 = static_cast<std::size_t>(std::ceil(
                static_cast<double>(std::min(to, overview->first + overview->frames) - overview->first) /
                bucketFrames));
            b1 = std::clamp<std::size_t>(b1, b0 + 1, overview->buckets);
            if (b0 >= overview->buckets) continue;
            float low = overview->At(lane, b0).min;
            float high = overview->At(lane, b0).max;
            float level = 0;
            for (std::size_t b = b0; b < b1; ++b) {
                const sound::Bucket& bucket = overview->At(lane, b);
                low = std::min(low, bucket.min);
                high = std::max(high, bucket.max);
                level = std::max(level, bucket.rms);
            }
            const auto y = [&](float value) { return middle - std::clamp(value, -1.0F, 1.0F) * half; };
            painter.setPen(peak);
            painter.drawLine(QPointF(x + 0.5, y(high)), QPointF(x + 0.5, y(low)));
            painter.setPen(rms);
            painter.drawLine(QPointF(x + 0.5, y(std::min(level, high))),
                             QPointF(x + 0.5, y(std::max(-level, low))));
        }
    }
    if (lanes < channels_) {
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(wave.adjusted(4, 2, -4, -2), Qt::AlignRight | Qt::AlignBottom,
                         tr("%1 of %2 channels shown").arg(lanes).arg(channels_));
    }
}

void WaveformCanvas::PaintMarkers(QPainter& painter) const {
    const QRect wave = WaveArea();
    const int loopRow = wave.bottom() + 1;
    const QFontMetrics metrics = fontMetrics();
    // Where the last label drawn in each kind's row ends: a label that would
    // overlap it is left out, so a paint lays out only as many labels as fit
    // across the width, however many markers the file holds.
    double labelsEnd[4] = {-1e9, -1e9, -1e9, -1e9};
    const auto drawLabel = [&](const sound::Marker& marker, QPointF at) {
        double& end = labelsEnd[static_cast<std::size_t>(marker.kind)];
        if (at.x() < end) return;
        const QString label = QString::fromStdString(text::DisplayUtf8(marker.label));
        painter.drawText(at, label);
        end = at.x() + metrics.horizontalAdvance(label) + metrics.averageCharWidth();
    };
    // The pixel columns the last marker of each kind was drawn over: one drawn
    // over the same columns as the one before it adds nothing to see, so a
    // paint draws a few markers a column at most, however many there are.
    struct Columns {
        int from = -1;
        int to = -1;
        bool lit = false;
        bool operator==(const Columns&) const = default;
    };
    Columns lastDrawn[4];
    const std::array<QColor, 4> kindColours = KindColours(palette().color(QPalette::Window));
    for (const sound::Marker& marker : markers_) {
        const double left = XOf(marker.start);
        const double right = marker.end ? XOf(*marker.end + 1) : left;
        if (right < -1 || left > width() + 1) continue;
        const bool lit = marker.recordOffset >= highlightFrom_ && marker.recordOffset < highlightTo_;
        const auto firstColumn = static_cast<int>(std::floor(left));
        const Columns columns{firstColumn, std::max(static_cast<int>(std::ceil(right)), firstColumn + 1),
                              lit};
        Columns& previous = lastDrawn[static_cast<std::size_t>(marker.kind)];
        if (columns == previous) continue;
        previous = columns;
        QColor colour = kindColours[static_cast<std::size_t>(marker.kind)];
        QPen pen(colour, lit ? 3 : 1);
        painter.setPen(pen);
        switch (marker.kind) {
            case sound::MarkerKind::Cue:
                painter.drawLine(QPointF(left, kRulerHeight), QPointF(left, wave.bottom()));
                drawLabel(marker, QPointF(left + 3, kRulerHeight + metrics.ascent()));
                break;
            case sound::MarkerKind::Region: {
                colour.setAlpha(lit ? 90 : 45);
                painter.fillRect(
                    QRectF(QPointF(left, wave.top()), QPointF(std::max(right, left + 1), wave.bottom())),
                    colour);
                drawLabel(marker, QPointF(left + 3, wave.bottom() - metrics.descent() - 2));
                break;
            }
            case sound::MarkerKind::Loop: {
                const double y = loopRow + kMarkerRowHeight / 2.0;
                painter.drawLine(QPointF(left, y), QPointF(right, y));
                painter.drawLine(QPointF(left, loopRow + 2), QPointF(left, loopRow + kMarkerRowHeight - 2));
                painter.drawLine(QPointF(right, loopRow + 2), QPointF(right, loopRow + kMarkerRowHeight - 2));
                drawLabel(marker, QPointF(left + 3, loopRow + metrics.ascent()));
                break;
            }
            case sound::MarkerKind::Segment: {
                const int top = loopRow + kMarkerRowHeight;
                colour.setAlpha(lit ? 160 : 80);
                painter.fillRect(QRectF(QPointF(left, top + 2),
                                        QPointF(std::max(right, left + 1), top + kMarkerRowHeight - 2)),
                                 colour);
                painter.setPen(palette().color(QPalette::Text));
                drawLabel(marker, QPointF(left + 3, top + metrics.ascent()));
                break;
            }
        }
    }
}
