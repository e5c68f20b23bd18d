#pragma once

#include <QRectF>
#include <QSizeF>

class QPainter;

// Ondulo's own pictures, drawn with vector strokes so that they stay sharp at
// any size and on any pixel density. Each routine paints into the painter's
// logical coordinates; the painter's device decides the resolution.

// The emblem: a rounded tile holding one swelling and fading wave. Used alone
// as the program's icon and inside the larger pictures.
void PaintWaveEmblem(QPainter& painter, const QRectF& area);

// The Help window's picture: emblem, program name and what it does.
void PaintHelpPicture(QPainter& painter, const QSizeF& size);

// The About window's banner: a wide band with the emblem and program name.
void PaintAboutBanner(QPainter& painter, const QSizeF& size);
