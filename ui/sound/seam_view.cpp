#include "ui/sound/seam_view.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kLeastLaneHeight = 24;

QString StepText(double decibels) {
    if (!std::isfinite(decibels)) return QObject::tr("none");
    return QObject::tr("%1 dBFS").arg(decibels, 0, 'f', 1);
}

}  // namespace

SeamView::SeamView(QWidget* parent) : QWidget(parent) {
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setAccessibleName(tr("Loop seam"));
}

QSize SeamView::sizeHint() const { return {280, 140}; }

void SeamView::SetSeam(const QString& name, std::optional<sound::LoopSeam> seam) {
    seam_ = std::move(seam);
    if (!seam_) {
        caption_ = tr("%1: its frames do not lie within the audio, so it has no seam to show.").arg(name);
    } else {
        QStringList steps;
        for (std::size_t c = 0; c < seam_->stepDecibels.size() && c < 8; ++c)
            steps << tr("channel %1 %2").arg(c + 1).arg(StepText(seam_->stepDecibels[c]));
        if (seam_->stepDecibels.size() > 8) steps << tr("…");
        caption_ = tr("%1, its end joined to its start: the step at the joint is %2.")
                       .arg(name, steps.join(tr(", ")));
    }
    setAccessibleDescription(caption_);
    update();
}

void SeamView::SetUnreadable(const QString& why) {
    seam_.reset();
    caption_ = why;
    setAccessibleDescription(caption_);
    update();
}

void SeamView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    const QRect text = rect().adjusted(4, 2, -4, 0);
    const QRect bound = metrics.boundingRect(text, Qt::TextWordWrap, caption_);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(text, Qt::TextWordWrap, caption_);
    if (!seam_ || seam_->channels == 0) return;
    const int top = bound.bottom() + 6;
    const int height = this->height() - top - 2;
    const auto lanes =
        static_cast<unsigned>(std::clamp(height / kLeastLaneHeight, 1, static_cast<int>(seam_->channels)));
    const double laneHeight = static_cast<double>(height) / lanes;
    const std::uint64_t points = seam_->before + seam_->after;
    const double step = static_cast<double>(width()) / static_cast<double>(points);
    const double joint = step * static_cast<double>(seam_->before);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DashLine));
    painter.drawLine(QPointF(joint, top), QPointF(joint, top + height));
    const QColor line = palette().color(QPalette::Highlight);
    for (unsigned lane = 0; lane < lanes; ++lane) {
        const double middle = top + laneHeight * (lane + 0.5);
        const double half = laneHeight / 2 - 2;
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(QPointF(0, middle), QPointF(width(), middle));
        painter.setPen(line);
        painter.setBrush(line);
        QPointF previous;
        for (std::uint64_t i = 0; i < points; ++i) {
            const float value = seam_->samples[i * seam_->channels + lane];
            const QPointF point(step * (static_cast<double>(i) + 0.5),
                                middle - std::clamp(value, -1.0F, 1.0F) * half);
            if (i > 0) painter.drawLine(previous, point);
            painter.drawEllipse(point, 1.5, 1.5);
            previous = point;
        }
    }
}
