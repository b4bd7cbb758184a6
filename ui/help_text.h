#pragma once

#include <QString>

// The help text of the information window: plain text, lines ended by "\n",
// each section heading on a line of its own between blank lines.
QString HelpText();
