#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QScrollBar;
class QWidget;

namespace quillora {

// The system colours the shared controls and sheets draw with, for the light scheme or the
// dark one (every scheme that is not light).
namespace schemeColors {
// The plain background of a sheet.
QColor sheetBackground(bool light);
QColor primaryLabel(bool light);
QColor secondaryLabel(bool light);
// Text of a control that is switched off: dimmer than secondary text, still legible.
QColor disabledLabel(bool light);
// Failure and warning text: a red that reads at 4.5:1 on sheets and cards of its scheme.
QColor errorText(bool light);
// The fill that stands in for a translucent, blurred material over a backdrop.
QColor ultraThinMaterial(bool light);
// Help window text: ink is black 0.9 / white, soft ink black 0.55 / white 0.65.
QColor ink(bool light);
QColor softInk(bool light);
} // namespace schemeColors

// The colour with its opacity multiplied by factor.
QColor withAlpha(QColor color, qreal factor);

// `over` laid on `under` at the given amount (0 to 1), as an opaque colour.
QColor blended(const QColor& under, const QColor& over, qreal amount);

// Gives the widget (and the children that do not set their own) the sheet background and the
// label colours of the scheme, disabled text included, so text follows the light or dark look.
void applySchemePalette(QWidget* widget, bool light);

// A thin, rounded scroll bar without arrows in the scheme's ink, for scrolling pages (vertical)
// and rows (horizontal) laid over a background of their own.
void styleSlimScrollBar(QScrollBar* bar, bool light);

// Sizes in the layouts are screen points: one point is one device-independent pixel. These set
// a font to such a size whatever the screen's logical DPI.
void setFontPoints(QFont& font, qreal points);
// The interface font at a size in screen points.
QFont systemFont(qreal points, QFont::Weight weight = QFont::Normal);
// A named face (through the font resolver) at a size in screen points.
QFont namedFont(const QString& fontName, qreal points);
QFont namedFont(const QString& fontName, qreal points, QFont::Weight weight);

} // namespace quillora
