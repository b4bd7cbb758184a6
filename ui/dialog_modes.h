#pragma once

#include <QtGlobal>

// Mode flags that a menu handler sets before it shows a shared dialog, and
// that the dialog reads when it acts. They keep their values between showings.
struct DialogModes {
    quint8 TimeEditMode = 1; // time dialog: 1 adds, 0 deducts
    qint32 InfoMode = 1;     // information window: 1 help, 2 about
    int ComputersCounted = 1; // the help names them when more than one
};
