#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

class QSvgRenderer;

namespace dovra {

// The window's background picture: it carries every label, so the windows have no label controls.
class Face : public QWidget {
public:
    Face(const QString& resource, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSvgRenderer* renderer_;
};

// Places a control at its position in twips (15 to a pixel), as the window layouts give them.
void PlaceTwips(QWidget* control, int left, int top, int width, int height);

// The windows' font; Qt falls back to another Korean face when it is not installed.
QFont WindowFont(int pointSize = 10);

} // namespace dovra
