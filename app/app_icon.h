#pragma once

#include <QIcon>

// The program's icon in every size it is drawn in, for the title bars and
// the task switcher: the same pictures as the installed hicolor icons.
QIcon HourwiseIcon();
