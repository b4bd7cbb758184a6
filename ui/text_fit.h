#pragma once

class QWidget;

// Grows a label or button, where it stands, to at least the size its text
// needs: the windows' sizes were drawn for a font that is not on every
// system, and the fonts that stand in for it may be wider. Never shrinks.
// It grows to the right, or to the left under a right-to-left direction.
void KeepWholeText(QWidget *widget);
