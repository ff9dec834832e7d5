#include "windows/common/Face.h"

#include <QPainter>

namespace dovra {

namespace {
constexpr int TwipsPerPixel = 15;
}

Face::Face(const QString& resource, QWidget* parent) : QWidget(parent), picture_(resource) {
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
