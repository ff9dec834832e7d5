#pragma once

#include <QFont>
#include <QIcon>
#include <QString>
#include <QWidget>

namespace dovra {

// A picture the program carries ("Form3", "icon"), at one pixel per point and, on a screen that has more,
// at two.
QIcon ShippedPicture(const QString& name);

// The window's background picture: it carries every label, so the windows have no label controls. An
// icon rather than a pixmap, so a screen of two pixels per point gets the picture drawn for it.
class Face : public QWidget {
public:
    Face(const QString& name, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QIcon picture_;
};

// On a screen of more than one pixel per point, decodes a window's larger picture on another thread from
// its making, so the window that shows it first finds it ready rather than decoding it while the
// merchant waits for the program to start; at one the face needs no decoding, and it does nothing. A
// Face made for the same picture meanwhile takes it from here. Made after the application object and ended
// before it, on the main thread; its end waits for the thread.
class FaceReadAhead {
public:
    explicit FaceReadAhead(const QString& name);
    ~FaceReadAhead();
    FaceReadAhead(const FaceReadAhead&) = delete;
    FaceReadAhead& operator=(const FaceReadAhead&) = delete;

private:
    QString name_;
};

// Places a control at its position in twips (15 to a pixel), as the window layouts give them.
void PlaceTwips(QWidget* control, int left, int top, int width, int height);

// The windows' font; Qt falls back to another Korean face when it is not installed.
QFont WindowFont(int pointSize = 10);

} // namespace dovra
