#pragma once

#include <QString>

// The help text of the information window: plain text, lines ended by "\n",
// each section heading on a line of its own between blank lines. With more
// than one computer counted, the text says how many.
QString HelpText(int computersCounted = 1);
