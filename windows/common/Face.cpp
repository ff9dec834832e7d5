#include "windows/common/Face.h"

#include "windows/common/FaceBitmap.h"

#include <QApplication>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QResource>

#include <future>
#include <map>
#include <system_error>
#include <utility>

namespace dovra {

namespace {
constexpr int TwipsPerPixel = 15;

// A picture at one pixel per point, and at two only for a screen that has more than one, as
// QIcon(resource) would read them.
struct Pictures {
    QImage single;
    QImage twice;
};

// Read as what it is: a reader left to find the format asks every image plugin of the system first,
// loading each of them (and the SVG module) before the first window can show.
QImage Read(const QString& file, const QByteArray& format) {
    QImageReader reader(file, format);
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    image.setDevicePixelRatio(1.0);
    return image;
}

// A window's face at one pixel per point, drawn from where it lies in the program.
QImage ReadFace(const QString& file) {
    QResource resource(file);
    if (resource.compressionAlgorithm() == QResource::NoCompression) {
        QImage picture = FaceBitmapPicture(resource.data(), resource.size());
        if (!picture.isNull()) {
            return picture;
        }
    }
    return Read(file, "bmp");
}

// The build leaves a window's face at one pixel per point as a bitmap, other pictures as PNGs.
Pictures ReadPictures(const QString& name, bool twice) {
    const QString base = QStringLiteral(":/faces/") + name;
    const QString bitmap = base + QStringLiteral(".bmp");
    Pictures pictures{QFile::exists(bitmap) ? ReadFace(bitmap) : Read(base + QStringLiteral(".png"), "png"),
                      {}};
    if (twice) {
        pictures.twice = Read(base + QStringLiteral("@2x.png"), "png");
    }
    return pictures;
}

bool ScreenNeedsTwice() {
    return qApp->devicePixelRatio() > 1.0;
}

// Pictures being read ahead, by name; touched on the main thread only.
std::map<QString, std::future<Pictures>>& ReadingAhead() {
    static std::map<QString, std::future<Pictures>> reading;
    return reading;
}
} // namespace

QIcon ShippedPicture(const QString& name) {
    Pictures pictures;
    auto ahead = ReadingAhead().find(name);
    if (ahead != ReadingAhead().end()) {
        pictures = ahead->second.get();
        ReadingAhead().erase(ahead);
    } else {
        pictures = ReadPictures(name, ScreenNeedsTwice());
    }
    QIcon picture(QPixmap::fromImage(std::move(pictures.single)));
    if (!pictures.twice.isNull()) {
        picture.addPixmap(QPixmap::fromImage(std::move(pictures.twice)));
    }
    return picture;
}

Face::Face(const QString& name, QWidget* parent) : QWidget(parent), picture_(ShippedPicture(name)) {
    setObjectName("Face");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // It covers the window: the window need not fill its background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(parent->size());
    lower();
}

void Face::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    picture_.paint(&painter, rect());
}

FaceReadAhead::FaceReadAhead(const QString& name) : name_(name) {
    if (!ScreenNeedsTwice()) {
        return; // a face at one pixel per point is drawn where it lies: nothing to decode
    }
    try {
        ReadingAhead().emplace(name, std::async(std::launch::async, ReadPictures, name, true));
    } catch (const std::system_error&) {
        // No thread to be had: the window reads its picture itself, as it would without this.
    }
}

// A picture nobody took is still being decoded or waits here: the erased future waits for its thread.
FaceReadAhead::~FaceReadAhead() {
    ReadingAhead().erase(name_);
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
