#include "windows/common/Looks.h"

#include <QLineEdit>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cmath>

#ifdef _WIN32
#include <windows.h>
#endif

namespace dovra {

namespace {
QColor SystemColour([[maybe_unused]] int index, [[maybe_unused]] QColor fallback) {
#ifdef _WIN32
    DWORD rgb = GetSysColor(index);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
#else
    return fallback;
#endif
}

double RelativeLuminance(const QColor& colour) {
    auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b) {
    double la = RelativeLuminance(a);
    double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The preferred text colour when it reads well on the background, else black or white.
QColor ReadableTextColour(const QColor& background, const QColor& preferred) {
    // The least contrast at which ordinary text is read without effort (WCAG 2, level AA).
    constexpr double Readable = 4.5;
    if (ContrastRatio(preferred, background) >= Readable) {
        return preferred;
    }
    // One of the two always reaches it: the ratios to black and to white multiply to 21.
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    return ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
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
    // The merchant checks the card number and the amount in locked boxes before paying, and the system
    // colours (Wine's grey caption, a dark theme) can leave the usual greyed text unreadable on them.
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText}) {
            palette.setColor(group, role, ReadableTextColour(colour, palette.color(group, role)));
        }
    }
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
