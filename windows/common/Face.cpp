#include "windows/common/Face.h"

#include <QApplication>
#include <QImageReader>
#include <QPainter>

#include <utility>

namespace dovra {

namespace {
constexpr int TwipsPerPixel = 15;

// Read as the PNG it is: a reader left to find the format asks every image plugin of the system first,
// loading each of them (and the SVG module) before the first window can show.
QPixmap ReadPng(const QString& file) {
    QImageReader reader(file, QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    image.setDevicePixelRatio(1.0);
    return QPixmap::fromImage(std::move(image));
}

// The picture as QIcon(resource) would hold it: the one at two pixels per point only for a screen that
// has more than one.
QIcon Picture(const QString& resource) {
    QIcon picture(ReadPng(resource));
    if (qApp->devicePixelRatio() > 1.0) {
        QString twice = resource;
        twice.insert(twice.lastIndexOf(u'.'), QStringLiteral("@2x"));
        QPixmap larger = ReadPng(twice);
        if (!larger.isNull()) {
            picture.addPixmap(larger);
        }
    }
    return picture;
}
} // namespace

Face::Face(const QString& resource, QWidget* parent) : QWidget(parent), picture_(Picture(resource)) {
    setObjectName("Face");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(parent->size());
    lower();
}

void Face::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    picture_.paint(&painter, rect());
}

void PlaceTwips(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel,
                         height / TwipsPerPixel);
}

QFont WindowFont(int pointSize) {
    QFont font(QStringLiteral("나눔바른고딕"), pointSize);
    font.setFamilies(
        {QStringLiteral("나눔바른고딕"), QStringLiteral("NanumBarunGothic"), QStringLiteral("NanumGothic")});
    return font;
}

} // namespace dovra
