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
constexpr double kNear = 4.0;               // how close a click must be to a line, in pixels
constexpr std::uint64_t kFewestFrames = 4;  // the closest zoom: a sample every quarter of the canvas
constexpr double kLabelGap = 6;             // pixels between two labels of a row
// The dBFS marks of the amplitude scale, and the lane height they need.
constexpr std::array<int, 4> kScaleDecibels{0, -6, -12, -20};
constexpr double kScaleLaneHeight = 60;

// Labels of one row, drawn left to right once the shapes are drawn, each
// cut to the room before the next so that none covers another.
struct LabelRow {
    double baseline = 0;
    std::vector<std::pair<double, QString>> labels;  // where each starts, and its text

    void Paint(QPainter& painter, const QFontMetrics& metrics, int width) {
        std::stable_sort(labels.begin(), labels.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        double free = 0;  // where the row is free from
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const double x = std::max(labels[i].first, free);
            const double end = i + 1 < labels.size() ? std::max(labels[i + 1].first, x) : width;
            const int room = static_cast<int>(end - x - kLabelGap);
            if (room < metrics.averageCharWidth() * 2) continue;
            const QString text = metrics.elidedText(labels[i].second, Qt::ElideRight, room);
            painter.drawText(QPointF(x, baseline), text);
            free = x + metrics.horizontalAdvance(text) + kLabelGap;
        }
    }
};

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
    const std::uint64_t millis =
        frame / sampleRate * 1000 + ((frame % sampleRate) * 1000 + sampleRate / 2) / sampleRate;
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
           "marker selects its record, elsewhere puts the cursor there; Space plays the "
           "selected marker or from the cursor, Space or Escape stops."));
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

void WaveformCanvas::SetLaneNames(std::vector<QString> names, std::vector<bool> leftOut) {
    laneNames_ = std::move(names);
    leftOut_ = std::move(leftOut);
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

void WaveformCanvas::SetPlayLine(std::optional<std::uint64_t> frame) {
    playLine_ = frame;
    update();
}

void WaveformCanvas::SetView(std::uint64_t start, std::uint64_t frames) {
    frames = std::clamp<std::uint64_t>(frames, std::min<std::uint64_t>(frames_, kFewestFrames),
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
        case Qt::Key_Space:
            emit PlayPressed();
            break;
        case Qt::Key_Escape:
            emit StopPressed();
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

WaveformCanvas::Drawn WaveformCanvas::Place(const sound::Marker& marker) const {
    const bool outside = marker.start >= frames_ || (marker.end && *marker.end >= frames_);
    const double left = XOf(std::min(marker.start, frames_));
    const double right = marker.end ? XOf(std::min(*marker.end + 1, frames_)) : left;
    return {left, std::max(left, right), outside};
}

const sound::Marker* WaveformCanvas::MarkerAt(QPoint point) const {
    const sound::Marker* best = nullptr;
    double bestWidth = 0;
    const QRect wave = WaveArea();
    const int loopRow = wave.bottom() + 1;
    for (const sound::Marker& marker : markers_) {
        const Drawn drawn = Place(marker);
        const double left = drawn.left;
        if (!marker.end) {
            if (std::fabs(point.x() - left) <= kNear && point.y() >= kRulerHeight / 2 &&
                (best == nullptr || bestWidth > 0)) {
                best = &marker;
                bestWidth = 0;
            }
            continue;
        }
        const double right = drawn.right;
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
        const sound::Marker chosen = *marker;
        selected_ = chosen;
        update();
        emit MarkerActivated(chosen.recordOffset);
        if (chosen.kind == sound::MarkerKind::Loop) emit LoopChosen(chosen);
        event->accept();
        return;
    }
    selected_.reset();
    cursor_ = std::min(FrameAt(event->position().x()), frames_ > 0 ? frames_ - 1 : 0);
    update();
    QWidget::mousePressEvent(event);
}

bool WaveformCanvas::event(QEvent* event) {
    // While playing, Escape stops it rather than closing the window.
    if (event->type() == QEvent::ShortcutOverride && playLine_ &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
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
    PaintPlaces(painter);
}

void WaveformCanvas::PaintPlaces(QPainter& painter) const {
    const QRect wave = WaveArea();
    if (!selected_) {
        painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
        const double x = XOf(cursor_);
        painter.drawLine(QPointF(x, kRulerHeight), QPointF(x, wave.bottom()));
    }
    if (playLine_) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        const double x = XOf(*playLine_);
        painter.drawLine(QPointF(x, 0), QPointF(x, wave.bottom()));
    }
}

void WaveformCanvas::PaintRuler(QPainter& painter) const {
    painter.setPen(palette().color(QPalette::Text));
    painter.drawLine(0, kRulerHeight - 1, width(), kRulerHeight - 1);
    if (viewFrames_ == 0 || width() <= 0) return;
    // A tick at least every 110 pixels, at a round number of frames.
    const double step = NiceStep(static_cast<double>(viewFrames_) * 110 / width());
    const auto first = static_cast<std::uint64_t>(std::ceil(static_cast<double>(viewStart_) / step) * step);
    const QFontMetrics metrics = fontMetrics();
    int free = 0;  // where the ruler is free of labels from
    for (double frame = static_cast<double>(first); frame <= static_cast<double>(viewStart_ + viewFrames_);
         frame += step) {
        const auto at = static_cast<std::uint64_t>(frame);
        const int x = static_cast<int>(XOf(at));
        painter.drawLine(x, kRulerHeight - 6, x, kRulerHeight - 1);
        const QString time = TimeText(at, sampleRate_);
        const QString count = QString::number(at);
        const int wide = std::max(metrics.horizontalAdvance(time), metrics.horizontalAdvance(count));
        // The last label keeps to the canvas, left of its tick if need be.
        const int left = std::min(x + 2, width() - wide - 2);
        if (left < free) continue;
        painter.drawText(left, metrics.ascent(), time);
        painter.drawText(left, metrics.ascent() + metrics.height() - 2, count);
        free = left + wide + static_cast<int>(kLabelGap);
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
        // Zoomed to single samples: a dot at each.
        if (bucketFrames <= 1 && static_cast<double>(viewFrames_) * 4 <= width()) {
            painter.setPen(peak);
            painter.setBrush(peak);
            for (std::uint64_t frame = viewStart_; frame < viewStart_ + viewFrames_; ++frame) {
                if (frame < overview->first || frame - overview->first >= overview->buckets) continue;
                const double x = (XOf(frame) + XOf(frame + 1)) / 2;
                const float value = overview->At(lane, static_cast<std::size_t>(frame - overview->first)).max;
                painter.drawEllipse(QPointF(x, middle - std::clamp(value, -1.0F, 1.0F) * half), 2.0, 2.0);
            }
            painter.setBrush(Qt::NoBrush);
        }
    }
    PaintLaneNames(painter, lanes, laneHeight);
    PaintScale(painter, lanes, laneHeight);
    if (lanes < channels_) {
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(wave.adjusted(4, 2, -4, -2), Qt::AlignRight | Qt::AlignBottom,
                         tr("%1 of %2 channels shown").arg(lanes).arg(channels_));
    }
}

void WaveformCanvas::PaintLaneNames(QPainter& painter, unsigned lanes, double laneHeight) const {
    const QRect wave = WaveArea();
    const QFontMetrics metrics = fontMetrics();
    if (laneHeight < metrics.height()) return;
    for (unsigned lane = 0; lane < lanes; ++lane) {
        QString name = lane < laneNames_.size() ? laneNames_[lane] : QString::number(lane + 1);
        if (lane < leftOut_.size() && leftOut_[lane]) name += tr(" (left out of the loudness)");
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QPointF(4, wave.top() + laneHeight * lane + metrics.ascent() + 1), name);
    }
}

void WaveformCanvas::PaintScale(QPainter& painter, unsigned lanes, double laneHeight) const {
    if (laneHeight < kScaleLaneHeight) return;
    const QRect wave = WaveArea();
    const QFontMetrics metrics = fontMetrics();
    painter.setPen(palette().color(QPalette::PlaceholderText));
    for (unsigned lane = 0; lane < lanes; ++lane) {
        const double middle = wave.top() + laneHeight * (lane + 0.5);
        const double half = laneHeight / 2 - 1;
        for (const int decibels : kScaleDecibels) {
            const double y = middle - std::pow(10.0, decibels / 20.0) * half;
            const QString text = tr("%1 dBFS").arg(decibels);
            painter.drawLine(QPointF(width() - 4, y), QPointF(width(), y));
            painter.drawText(
                QPointF(width() - 6 - metrics.horizontalAdvance(text), y + metrics.ascent() / 2.0), text);
        }
    }
}

void WaveformCanvas::PaintOutside(QPainter& painter) const {
    const auto outside = std::count_if(markers_.begin(), markers_.end(),
                                       [this](const sound::Marker& marker) { return Place(marker).outside; });
    if (outside == 0) return;
    const QRect wave = WaveArea();
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(
        wave.adjusted(4, 2, -4, -2), Qt::AlignRight | Qt::AlignTop,
        outside == 1 ? tr("1 marker lies past the end of the audio, drawn dashed at its end")
                     : tr("%1 markers lie past the end of the audio, drawn dashed at its end").arg(outside));
}

void WaveformCanvas::PaintMarkers(QPainter& painter) const {
    const QRect wave = WaveArea();
    const int loopRow = wave.bottom() + 1;
    const QFontMetrics metrics = fontMetrics();
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
    LabelRow cueLabels{kRulerHeight + static_cast<double>(metrics.ascent()), {}};
    LabelRow regionLabels{static_cast<double>(wave.bottom() - metrics.descent() - 2), {}};
    LabelRow loopLabels{static_cast<double>(loopRow + metrics.ascent()), {}};
    LabelRow segmentLabels{static_cast<double>(loopRow + kMarkerRowHeight + metrics.ascent()), {}};
    for (const sound::Marker& marker : markers_) {
        const Drawn drawn = Place(marker);
        const double left = drawn.left;
        const double right = drawn.right;
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
        if (drawn.outside) pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        QString label = QString::fromStdString(text::DisplayUtf8(marker.label));
        if (drawn.outside) label += tr(" (past the end)");
        // A span's name stays on the part of it in view.
        const double labelAt = std::max(left, 0.0) + 3;
        switch (marker.kind) {
            case sound::MarkerKind::Cue:
                painter.drawLine(QPointF(left, kRulerHeight), QPointF(left, wave.bottom()));
                cueLabels.labels.emplace_back(labelAt, label);
                break;
            case sound::MarkerKind::Region: {
                colour.setAlpha(lit ? 90 : 45);
                painter.fillRect(
                    QRectF(QPointF(left, wave.top()), QPointF(std::max(right, left + 1), wave.bottom())),
                    colour);
                regionLabels.labels.emplace_back(labelAt, label);
                break;
            }
            case sound::MarkerKind::Loop: {
                const double y = loopRow + kMarkerRowHeight / 2.0;
                painter.drawLine(QPointF(left, y), QPointF(right, y));
                painter.drawLine(QPointF(left, loopRow + 2), QPointF(left, loopRow + kMarkerRowHeight - 2));
                painter.drawLine(QPointF(right, loopRow + 2), QPointF(right, loopRow + kMarkerRowHeight - 2));
                loopLabels.labels.emplace_back(labelAt, label);
                break;
            }
            case sound::MarkerKind::Segment: {
                const int top = loopRow + kMarkerRowHeight;
                colour.setAlpha(lit ? 160 : 80);
                painter.fillRect(QRectF(QPointF(left, top + 2),
                                        QPointF(std::max(right, left + 1), top + kMarkerRowHeight - 2)),
                                 colour);
                segmentLabels.labels.emplace_back(labelAt, label);
                break;
            }
        }
    }
    painter.setPen(palette().color(QPalette::Text));
    for (LabelRow* row : {&cueLabels, &regionLabels, &loopLabels, &segmentLabels})
        row->Paint(painter, metrics, width());
    PaintOutside(painter);
}
