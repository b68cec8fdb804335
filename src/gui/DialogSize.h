#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;

// How the program's dialogs take their size. Their layouts are designed in
// twips for a narrow 9-point font; the fonts a desktop really has are often
// wider, and a cut caption helps nobody. So the designed size is the least a
// dialog takes: it grows to what its content needs in the font it really
// uses, never past what the screen can show, and long text wraps well inside
// the screen.
namespace DialogSize {

// Twips (1/1440 inch) at a logical resolution.
int TwipsToPixels(int twips, double logicalDpi);

// The logical resolution of screen, or the usual 96 without one.
double LogicalDpi(const QScreen* screen);

// How wide a dialog's text may grow before it wraps: 60 % of the screen's
// available width.
int WrapWidth(const QScreen* screen);

// designed grown to needed, each side at most available (an empty available
// side sets no limit).
QSize Grown(const QSize& designed, const QSize& needed, const QSize& available);

// The same within screen's available area.
QSize Grown(const QSize& designed, const QSize& needed, const QScreen* screen);

// Where a dialog of size (its frame included) opens for a window at anchor:
// centred under it, else above it, else over it as close as it fits, and
// always whole within available (from its top left when it is larger).
QPoint PlacedNear(const QRect& anchor, const QSize& size, const QRect& available);

} // namespace DialogSize
