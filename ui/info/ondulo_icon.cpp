#include "ui/info/ondulo_icon.h"

#include <QPainter>
#include <QPixmap>

#include "ui/info/wave_art.h"

QIcon OnduloIcon() {
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256, 512}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        PaintWaveEmblem(painter, QRectF(0, 0, side, side));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
