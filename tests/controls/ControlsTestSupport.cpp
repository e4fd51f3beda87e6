#include "ControlsTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>

bool showAndWait(QWidget* widget) {
    QWidget* window = widget->window();
    window->show();
    return QTest::qWaitForWindowExposed(window);
}

void clickThroughWindow(QWidget* widget, QPoint pos, Qt::KeyboardModifiers modifiers) {
    QWidget* window = widget->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, modifiers, widget->mapTo(window, pos));
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qWait(5);
    }
    return true;
}

bool near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

QImage grabImage(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.convertToFormat(QImage::Format_ARGB32);
}

QString saveRender(const QImage& image, const QString& name) {
    const QString folder = QStringLiteral(CONTROLS_RENDER_DIR);
    if (!QDir().mkpath(folder)) return QString();
    const QString path = folder + QLatin1Char('/') + name;
    return image.save(path, "PNG") ? path : QString();
}
