// Draws the window faces and the icon from their SVG sources into PNGs at one and two pixels per
// point ("Form1.png", "Form1@2x.png"), at build time, so the program needs no SVG support of its own
// and looks the same wherever it runs. The labels on the faces are text: they are drawn here with the
// build machine's fonts and travel as pixels.
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

bool Render(const QString& source, const QString& folder) {
    QSvgRenderer renderer(source);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "dovra-faces: cannot read %s\n", qPrintable(source));
        return false;
    }
    const QString base = folder + "/" + QFileInfo(source).completeBaseName();
    for (int scale : {1, 2}) {
        QImage image(renderer.defaultSize() * scale, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        const QString file = base + (scale == 1 ? ".png" : "@2x.png");
        if (!image.save(file, "PNG")) {
            std::fprintf(stderr, "dovra-faces: cannot write %s\n", qPrintable(file));
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: dovra-faces OUTPUT-FOLDER FACE.svg...\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (int i = 2; i < argc; ++i) {
        if (!Render(QString::fromLocal8Bit(argv[i]), QString::fromLocal8Bit(argv[1]))) {
            return 1;
        }
    }
    return 0;
}
