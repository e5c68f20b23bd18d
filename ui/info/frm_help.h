#pragma once

#include "ui/info/info_dialog.h"

// The Help window: a picture and three panels of text that tell how to use
// the program. A click anywhere on it, or a key let go, closes it.
//
// Parts, by object name: "Picture1" (the picture), "SSPanel1_0" to
// "SSPanel1_2" (the three panels, top to bottom) and "Shape1" (a rule that
// only decorates).
class frmHelp : public InfoDialog {
    Q_OBJECT

public:
    explicit frmHelp(QWidget* parent = nullptr);
};
