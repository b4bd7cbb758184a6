#pragma once

#include <QIcon>

class QRect;
class QWidget;

// The program's icon in every size it is drawn in, for the title bars, the
// task switcher and the tray: the same pictures as the installed hicolor
// icons, which the program carries as resources (null where they are not
// linked in, as in the tests).
QIcon HourwiseIcon();

// Maps the window fonts the program is designed with (MS Sans Serif, Arial,
// Century) onto Debian's metric-compatible faces and sets the application font.
void ApplyDesktopFonts();

// Wraps the application's style (the desktop's, or the one the user chose)
// so that a radio button's circle stands out from a dark window (3:1), and
// so that the menu bar's overflow button makes its icon only when it is
// first drawn. Qt makes it in the menu bar's constructor, and reading its
// picture loads every image format plugin: about 2 ms of every start, for a
// button that shows only when the window is too narrow for the menus.
void ApplyDesktopStyle();

// Moves a top-level window to the middle of the screen it is on.
void CenterOnScreen(QWidget &window);

// Places a child of a window laid out by hand, in pixels: at `designed`, its
// place from the left, or, under a right-to-left layout direction (-reverse,
// a right-to-left translation), at that place mirrored across the parent's
// width, as Qt's own layouts mirror theirs, a label's text then at its
// right. The parent has its final size.
void PlaceChild(QWidget *child, const QRect &designed);
