#include "ui/info/wave_art.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QtMath>
#include <algorithm>

namespace {

const QColor kDeepBlue(0x1d, 0x4e, 0x89);
const QColor kTeal(0x2a, 0x9d, 0x8f);
const QColor kMist(0xee, 0xf4, 0xf8);
// Corner radius of the emblem's tile, as a share of its side.
constexpr qreal kTileCorner = 0.22;

// A wave packet across `box`: `cycles` periods of a sine whose amplitude rises
// from zero at the left edge to the full half-height in the middle and falls
// back to zero at the right edge.
QPainterPath WavePacket(const QRectF& box, int cycles) {
    constexpr int kSteps = 160;
    QPainterPath path;
    for (int i = 0; i <= kSteps; ++i) {
        const qreal t = static_cast<qreal>(i) / kSteps;
        const qreal envelope = qSin(M_PI * t);
        const qreal y = box.center().y() - box.height() / 2 * envelope * qSin(2 * M_PI * cycles * t);
        const QPointF point(box.left() + t * box.width(), y);
        if (i == 0) {
            path.moveTo(point);
        } else {
            path.lineTo(point);
        }
    }
    return path;
}

QLinearGradient BlueToTeal(const QRectF& area) {
    QLinearGradient gradient(area.topLeft(), area.bottomRight());
    gradient.setColorAt(0, kDeepBlue);
    gradient.setColorAt(1, kTeal);
    return gradient;
}

void StrokeWave(QPainter& painter, const QRectF& box, int cycles, const QColor& colour, qreal width) {
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(WavePacket(box, cycles));
}

// Draws one line of text in `box`, at `pixelSize` or smaller where the
// fonts at hand would run past the box's right edge.
void DrawText(QPainter& painter, const QRectF& box, const QString& text, qreal pixelSize, bool bold,
              const QColor& colour) {
    QFont font = painter.font();
    font.setBold(bold);
    font.setPixelSize(std::max(1, qRound(pixelSize)));
    const qreal width = QFontMetricsF(font).horizontalAdvance(text);
    if (width > box.width()) {
        font.setPixelSize(std::max(1, qFloor(pixelSize * box.width() / width)));
    }
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
}

}  // namespace

void PaintWaveEmblem(QPainter& painter, const QRectF& area) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(area.width(), area.height());
    const QRectF tile(area.center().x() - side / 2, area.center().y() - side / 2, side, side);

    painter.setPen(Qt::NoPen);
    painter.setBrush(BlueToTeal(tile));
    painter.drawRoundedRect(tile, side * kTileCorner, side * kTileCorner);

    // Small sizes get fewer, thicker cycles so the wave still reads as one.
    const int cycles = side < 24 ? 2 : 3;
    const qreal stroke = std::max<qreal>(1.5, side * 0.075);
    const QRectF waveBox = tile.adjusted(side * 0.14, side * 0.2, -side * 0.14, -side * 0.2);
    painter.setPen(QPen(QColor(255, 255, 255, 90), std::max<qreal>(1.0, side * 0.02)));
    painter.drawLine(QPointF(waveBox.left(), waveBox.center().y()),
                     QPointF(waveBox.right(), waveBox.center().y()));
    StrokeWave(painter, waveBox, cycles, Qt::white, stroke);
    painter.restore();
}

void PaintHelpPicture(QPainter& painter, const QSizeF& size) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(QPointF(0.5, 0.5), size - QSizeF(1, 1));
    painter.setPen(QPen(kDeepBlue.lighter(170), 1));
    painter.setBrush(kMist);
    painter.drawRoundedRect(frame, 6, 6);

    const qreal h = size.height();
    const QRectF text(h + 4, 0, size.width() - h - 10, h);
    StrokeWave(painter, text.adjusted(0, h * 0.2, 0, -h * 0.2), 6, QColor(0x2a, 0x9d, 0x8f, 50), 2);
    PaintWaveEmblem(painter, QRectF(5, 5, h - 10, h - 10));
    DrawText(painter, QRectF(text.left(), 4, text.width(), h * 0.58), QStringLiteral("Ondulo"), h * 0.42,
             true, kDeepBlue);
    DrawText(painter, QRectF(text.left(), h * 0.58, text.width(), h * 0.32),
             QStringLiteral("Inside WAV files"), h * 0.2, false, kDeepBlue.darker(120));
    painter.restore();
}

void PaintAboutBanner(QPainter& painter, const QSizeF& size) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF band(QPointF(0, 0), size);
    painter.setPen(Qt::NoPen);
    painter.setBrush(BlueToTeal(band));
    painter.drawRect(band);

    const qreal h = size.height();
    StrokeWave(painter, band.adjusted(h * 0.9, h * 0.12, -h * 0.1, -h * 0.12), 9, QColor(255, 255, 255, 45),
               h * 0.03);
    // The emblem sits on a pale ring so its tile stands out from the band.
    const QRectF emblem(h * 0.14, h * 0.14, h * 0.72, h * 0.72);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 60));
    const qreal ringCorner = emblem.width() * kTileCorner + 4;
    painter.drawRoundedRect(emblem.adjusted(-4, -4, 4, 4), ringCorner, ringCorner);
    PaintWaveEmblem(painter, emblem);

    const qreal left = h;
    DrawText(painter, QRectF(left, h * 0.12, size.width() - left, h * 0.5), QStringLiteral("Ondulo"),
             h * 0.36, true, Qt::white);
    DrawText(painter, QRectF(left, h * 0.58, size.width() - left, h * 0.28),
             QStringLiteral("Chunks and fields of WAV files"), h * 0.13, false, QColor(255, 255, 255, 210));
    painter.restore();
}
