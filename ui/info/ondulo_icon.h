#pragma once

#include <QIcon>

// The program's icon: the wave emblem rendered at the sizes desktops ask for.
// Qt picks the pixmap that matches the requested size times the screen's
// pixel ratio, so the larger ones serve high-density screens.
QIcon OnduloIcon();
