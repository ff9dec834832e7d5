#include "windows/common/Looks.h"

#include <QLineEdit>
#include <QPalette>
#include <QWidget>

#ifdef _WIN32
#include <windows.h>
#endif

namespace dovra {

namespace {
QColor SystemColour([[maybe_unused]] int index, QColor fallback) {
#ifdef _WIN32
    DWORD rgb = GetSysColor(index);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
#else
    return fallback;
#endif
}
} // namespace

QColor InactiveCaptionColour() {
    return SystemColour(3, QColor(191, 205, 219));
}
QColor ButtonFaceColour() {
    return SystemColour(15, QColor(240, 240, 240));
}
QColor OpenColour() {
    return QColor(255, 255, 255);
}
QColor LightGreyColour() {
    return QColor(230, 230, 230);
}

void SetBackColour(QWidget* control, const QColor& colour) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Button, colour);
    palette.setColor(QPalette::Window, colour);
    control->setPalette(palette);
    control->setAutoFillBackground(true);
}

QColor BackColour(const QWidget* control) {
    return control->palette().color(QPalette::Base);
}

void SetBorder(QWidget* control, bool single) {
    if (auto* box = qobject_cast<QLineEdit*>(control)) {
        box->setFrame(single);
    }
}

} // namespace dovra
