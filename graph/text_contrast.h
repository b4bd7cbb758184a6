#pragma once

#include <QColor>

// Contrast of text and lines against what lies behind them, by the relative
// luminance of sRGB colours (0 for black, 1 for white).
double RelativeLuminance(const QColor &color);
// From 1 (equal luminance) to 21 (black on white); symmetric.
double ContrastRatio(const QColor &a, const QColor &b);

// The minimum contrast for small text to stay readable.
constexpr double kReadableContrast = 4.5;
// What a replaced colour aims at: smoothed glyph edges and thin strokes of
// small text come out lighter than their colour, so the text as drawn needs
// the margin to keep kReadableContrast.
constexpr double kReplacedTextContrast = 7.0;

// `preferred` when it already stands out from `background` by at least
// kReadableContrast; otherwise `preferred` mixed towards white or black
// (whichever stands out more from the background) just far enough to reach
// kReplacedTextContrast, or that extreme itself where no mix reaches it.
QColor ReadableOn(const QColor &preferred, const QColor &background);

// The minimum contrast for lines that carry meaning (axes, frames, ticks).
// Lines are drawn without smoothing, in their full colour, so a replaced
// colour needs no margin above it.
constexpr double kVisibleLineContrast = 3.0;

// `preferred` when it stands out from `background` by at least
// kVisibleLineContrast; otherwise mixed towards white or black like
// ReadableOn, just far enough to reach kVisibleLineContrast.
QColor VisibleOn(const QColor &preferred, const QColor &background);
