#pragma once

#include <QColor>

class QWidget;

namespace dovra {

// How a control shows that it is locked or open. The Windows system colours are used where the
// platform has them; elsewhere fixed equivalents of their classic values.
QColor InactiveCaptionColour(); // locked lists and the amount box
QColor ButtonFaceColour();      // locked reason and cancellation boxes
QColor OpenColour();            // white
QColor LightGreyColour();       // RGB 230, 230, 230

// Also keeps the control's text readable on it, enabled or not.
void SetBackColour(QWidget* control, const QColor& colour);
QColor BackColour(const QWidget* control);
// Text boxes only: a single-line border, or none.
void SetBorder(QWidget* control, bool single);

} // namespace dovra
