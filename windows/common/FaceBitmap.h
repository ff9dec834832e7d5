#pragma once

// How a window face at one pixel per point travels inside the program: a Windows bitmap any viewer opens,
// laid out so its pixels are already an opaque 32-bit QImage (rows top down, blue, green, red and 255 in
// each pixel, the pixels 64 bytes in, every size a multiple of four). The program then draws the face
// where it lies in the program file, with nothing to decode or copy while its window opens. The build's
// tool writes it; the program reads it. Both are here, so they cannot disagree.

#include <QByteArray>
#include <QImage>
#include <QSysInfo>
#include <QtEndian>

#include <cstdint>

namespace dovra {

constexpr int FaceBitmapPixelsAt = 64;

// The bitmap of an opaque picture (what it has of see-through is dropped).
inline QByteArray FaceBitmapBytes(const QImage& picture) {
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    const qint32 width = pixels.width(), height = pixels.height();
    QByteArray file(FaceBitmapPixelsAt + qsizetype(width) * height * 4, '\0');
    auto* bytes = reinterpret_cast<uchar*>(file.data());
    bytes[0] = 'B';
    bytes[1] = 'M';
    qToLittleEndian<quint32>(static_cast<quint32>(file.size()), bytes + 2);
    qToLittleEndian<quint32>(FaceBitmapPixelsAt, bytes + 10);
    qToLittleEndian<quint32>(40, bytes + 14); // the plain information header
    qToLittleEndian<qint32>(width, bytes + 18);
    qToLittleEndian<qint32>(-height, bytes + 22); // negative: the rows run top down
    qToLittleEndian<quint16>(1, bytes + 26);      // planes
    qToLittleEndian<quint16>(32, bytes + 28);     // bits per pixel, no compression
    qToLittleEndian<quint32>(static_cast<quint32>(width * height * 4), bytes + 34);
    for (int y = 0; y < height; ++y) {
        auto* row = bytes + FaceBitmapPixelsAt + qsizetype(y) * width * 4;
        const auto* line = reinterpret_cast<const quint32*>(pixels.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            qToLittleEndian<quint32>(line[x] | 0xFF000000u, row + x * 4);
        }
    }
    return file;
}

// The picture in a face bitmap, over the bytes themselves where they lie as a QImage needs them (the
// bytes must then outlive it), else copied; a null image for bytes not laid out so.
inline QImage FaceBitmapPicture(const uchar* bytes, qint64 size) {
    if (QSysInfo::ByteOrder != QSysInfo::LittleEndian || size < FaceBitmapPixelsAt || bytes[0] != 'B' ||
        bytes[1] != 'M' || qFromLittleEndian<quint32>(bytes + 10) != FaceBitmapPixelsAt ||
        qFromLittleEndian<quint32>(bytes + 14) != 40 || qFromLittleEndian<quint16>(bytes + 28) != 32 ||
        qFromLittleEndian<quint32>(bytes + 30) != 0) {
        return {};
    }
    const qint32 width = qFromLittleEndian<qint32>(bytes + 18);
    const qint32 height = -qFromLittleEndian<qint32>(bytes + 22);
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 ||
        size != FaceBitmapPixelsAt + qint64(width) * height * 4) {
        return {};
    }
    const uchar* pixels = bytes + FaceBitmapPixelsAt;
    QImage picture(pixels, width, height, width * 4, QImage::Format_RGB32);
    return reinterpret_cast<std::uintptr_t>(pixels) % alignof(quint32) == 0 ? picture : picture.copy();
}

} // namespace dovra
