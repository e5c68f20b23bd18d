#pragma once

#include <QString>

#include "ui/info/info_dialog.h"

// The About window: a banner, the version line and three paragraphs on the
// terms of use, the absence of warranty and how to reach the developers.
// It closes when a key or a mouse button is let go on the window or the
// banner, or on a double click on a paragraph; a single click on a paragraph,
// or any click on the version line, leaves it open.
//
// Parts, by object name: "Image1" (the banner), "lbCopy" (the version line)
// and "Label1_0" to "Label1_2" (the paragraphs, top to bottom).
class frmAbout : public InfoDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    // "ODL - Ondulo (Vers. 1.0 Build 4 - January 2004)"
    static QString VersionLine();
};
