// Draws the window faces and the icon from their SVG sources into PNGs at one and two pixels per
// point ("Form1.png", "Form1@2x.png"), at build time, so the program needs no SVG support of its own
// and looks the same wherever it runs. With --bitmap the pictures at one pixel per point are bitmaps
// ("Form1.bmp") instead, laid out as the program draws them (FaceBitmap.h): a window face covers its
// window, and the program shows it where it lies in the program file, with nothing to decode while the
// merchant waits for the window. The labels on the faces are text: they are drawn here with the build
// machine's fonts and travel as pixels. With --ico it makes the icon Windows shows for the program file
// and its Start-menu entry instead.
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include "windows/common/FaceBitmap.h"

#include <cstdio>
#include <cstring>

namespace {

QImage Draw(QSvgRenderer& renderer, QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image;
}

bool Opaque(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 255) {
                return false;
            }
        }
    }
    return true;
}

// A picture that covers its window entirely is saved without an alpha channel: a quarter fewer bytes
// to decode as the window opens, and a picture Qt can show as it is read.
QImage Stored(const QImage& image) {
    return Opaque(image) ? image.convertToFormat(QImage::Format_RGB32) : image;
}

bool Save(const QImage& image, const QString& file, const char* format) {
    if (!image.save(file, format)) {
        std::fprintf(stderr, "dovra-faces: cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

bool Write(const QByteArray& bytes, const QString& file) {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "dovra-faces: cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

bool Readable(const QSvgRenderer& renderer, const QString& source) {
    if (!renderer.isValid()) {
        std::fprintf(stderr, "dovra-faces: cannot read %s\n", qPrintable(source));
    }
    return renderer.isValid();
}

bool Render(const QString& source, const QString& folder, bool bitmap) {
    QSvgRenderer renderer(source);
    if (!Readable(renderer, source)) {
        return false;
    }
    const QString base = folder + "/" + QFileInfo(source).completeBaseName();
    const QImage single = Draw(renderer, renderer.defaultSize());
    if (bitmap && !Opaque(single)) {
        // A bitmap has no see-through pixels: the window would show black where the face has none.
        std::fprintf(stderr, "dovra-faces: %s does not cover its whole picture\n", qPrintable(source));
        return false;
    }
    return (bitmap ? Write(dovra::FaceBitmapBytes(single), base + ".bmp")
                   : Save(Stored(single), base + ".png", "PNG")) &&
           Save(Stored(Draw(renderer, renderer.defaultSize() * 2)), base + "@2x.png", "PNG");
}

void Put16(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF)).append(static_cast<char>(value >> 8 & 0xFF));
}
void Put32(QByteArray& out, qint64 value) {
    Put16(out, static_cast<int>(value & 0xFFFF));
    Put16(out, static_cast<int>(value >> 16 & 0xFFFF));
}

// An icon file holding one PNG per size Windows asks for, from a menu's 16 to Explorer's 256 pixels.
bool WriteIco(const QString& source, const QString& file) {
    QSvgRenderer renderer(source);
    if (!Readable(renderer, source)) {
        return false;
    }
    const int sizes[] = {16, 24, 32, 48, 64, 128, 256};
    QList<QByteArray> pictures;
    for (int size : sizes) {
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        Draw(renderer, QSize(size, size)).save(&png, "PNG");
        pictures.append(png.data());
    }
    QByteArray out;
    Put16(out, 0);
    Put16(out, 1); // an icon, not a cursor
    Put16(out, static_cast<int>(pictures.size()));
    qint64 offset = 6 + 16 * pictures.size();
    for (int i = 0; i < pictures.size(); ++i) {
        out.append(static_cast<char>(sizes[i] % 256)).append(static_cast<char>(sizes[i] % 256)); // 0 is 256
        Put16(out, 0);
        Put16(out, 1);  // planes
        Put16(out, 32); // bits per pixel
        Put32(out, pictures[i].size());
        Put32(out, offset);
        offset += pictures[i].size();
    }
    for (const QByteArray& picture : pictures) {
        out.append(picture);
    }
    return Write(out, file);
}

} // namespace

int main(int argc, char* argv[]) {
    const bool bitmap = argc > 1 && std::strcmp(argv[1], "--bitmap") == 0;
    const int first = bitmap ? 2 : 1;
    if (argc < first + 2) {
        std::fprintf(stderr, "usage: dovra-faces [--bitmap] OUTPUT-FOLDER FACE.svg...\n"
                             "       dovra-faces --ico ICON.ico ICON.svg\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (QString::fromLocal8Bit(argv[1]) == QStringLiteral("--ico")) {
        return argc == 4 && WriteIco(QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[2])) ? 0
                                                                                                       : 1;
    }
    for (int i = first + 1; i < argc; ++i) {
        if (!Render(QString::fromLocal8Bit(argv[i]), QString::fromLocal8Bit(argv[first]), bitmap)) {
            return 1;
        }
    }
    return 0;
}
