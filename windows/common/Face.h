#pragma once

#include <QFont>
#include <QIcon>
#include <QString>
#include <QWidget>

namespace dovra {

// The window's background picture: it carries every label, so the windows have no label controls. An
// icon rather than a pixmap, so a screen of two pixels per point gets the picture drawn for it.
class Face : public QWidget {
public:
    Face(const QString& resource, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QIcon picture_;
};

// Places a control at its position in twips (15 to a pixel), as the window layouts give them.
void PlaceTwips(QWidget* control, int left, int top, int width, int height);

// The windows' font; Qt falls back to another Korean face when it is not installed.
QFont WindowFont(int pointSize = 10);

} // namespace dovra
