#include "ViewTestSupport.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <cstdlib>
#include <memory>

namespace moravel::testing {

void ensureViewApplication()
{
    if (QApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tests_views";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt's font caches down from a static destructor
    // crashes, since their thread storage is already gone by then.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

QImage renderWidget(QWidget& widget, const QColor& backdrop)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(backdrop);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

int countPixels(const QImage& image, const QColor& color, const QRect& area, int tolerance)
{
    const QImage plain = image.convertToFormat(QImage::Format_ARGB32);
    const QRect bounded = area.intersected(plain.rect());
    int count = 0;
    for (int y = bounded.top(); y <= bounded.bottom(); ++y) {
        for (int x = bounded.left(); x <= bounded.right(); ++x) {
            const QColor pixel = plain.pixelColor(x, y);
            if (std::abs(pixel.red() - color.red()) <= tolerance &&
                std::abs(pixel.green() - color.green()) <= tolerance &&
                std::abs(pixel.blue() - color.blue()) <= tolerance &&
                (color.alpha() < 255 || pixel.alpha() == 255))
                ++count;
        }
    }
    return count;
}

int countPixels(const QImage& image, const QColor& color, int tolerance)
{
    return countPixels(image, color, image.rect(), tolerance);
}

MetricSample sampleAt(const QDateTime& time, double cpu, double memory)
{
    MetricSample sample;
    sample.id = QUuid::createUuid();
    sample.time = time;
    sample[Series::cpu] = cpu;
    sample[Series::memory] = memory;
    return sample;
}

}  // namespace moravel::testing
