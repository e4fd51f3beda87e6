#include "CapturingDialog.h"

#include "capturegeometry.h"

#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <xcb/xcb.h>

#include <cstdlib>
#include <string>

namespace {
const QColor kHandleColour(255, 0, 0);
const QColor kFrameColour(0, 0, 255);
// Nearly invisible, but keeps the mouse on the frame instead of passing through to what lies below.
const QColor kFillColour(255, 255, 255, 1);

// A compositing manager owns the selection _NET_WM_CM_S<screen> while it runs.
bool x11CompositingActive() {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    bool active = false;
    if (!xcb_connection_has_error(connection)) {
        const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, uint16_t(name.size()), name.c_str()), nullptr);
        if (atom && atom->atom != XCB_ATOM_NONE) {
            xcb_get_selection_owner_reply_t* owner =
                xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
            active = owner && owner->owner != XCB_NONE;
            std::free(owner);
        }
        std::free(atom);
    }
    xcb_disconnect(connection);
    return active;
}
} // namespace

CapturingDialog::CapturingDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("capturingDialog");
    setWindowTitle(tr("裁剪图像"));
    resize(capture::kDefaultSize);
    setStyleSheet(QString());
    setWindowFlags((windowFlags() | Qt::Dialog | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint) &
                   ~Qt::WindowContextHelpButtonHint);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
}

QRect CapturingDialog::desktopRect() const {
    QRect all;
    for (const QScreen* screen : QGuiApplication::screens())
        all |= screen->geometry();
    return all;
}

bool CapturingDialog::canSeeThrough() {
    return QGuiApplication::platformName() != QLatin1String("xcb") || x11CompositingActive();
}

bool CapturingDialog::grabToFile(const QString& path) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || (isVisible() && !canSeeThrough())) return false;
    const QRect area = capture::grabRect(geometry());
    QPixmap grabbed = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (grabbed.isNull()) return false;
    grabbed.setDevicePixelRatio(1);
    return grabbed.save(path, "PNG");
}

void CapturingDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_pressed = true;
    m_moving = m_resizing = false;
    m_pressPos = event->pos();
    m_pressGlobalPos = event->globalPos();
    m_pressGeometry = geometry();
}

void CapturingDialog::resizeToCursor(const QPoint& globalPos) {
    setGeometry(capture::resizeByDrag(m_region, m_pressGeometry, geometry(), globalPos - m_pressGlobalPos));
}

void CapturingDialog::mouseMoveEvent(QMouseEvent* event) {
    if (m_resizing) {
        resizeToCursor(event->globalPos());
        return;
    }
    if (m_moving) {
        move(event->globalPos() - m_pressPos);
        return;
    }
    const int region = capture::hoverRegionAt(event->pos(), size());
    if (region != capture::kNone) {
        m_region = region;
        setCursor(Qt::ArrowCursor);
        update();
        if (m_pressed) {
            m_resizing = true;
            resizeToCursor(event->globalPos());
        }
        return;
    }
    if (m_region != capture::kNone) {
        m_region = capture::kNone;
        update();
    }
    setCursor(Qt::OpenHandCursor);
    if (m_pressed) {
        setCursor(Qt::ClosedHandCursor);
        m_moving = true;
    }
}

void CapturingDialog::mouseReleaseEvent(QMouseEvent*) {
    if (m_moving) {
        move(capture::clampMovedTopLeft(pos(), size(), desktopRect()));
        setCursor(Qt::ArrowCursor);
    }
    m_pressed = m_moving = m_resizing = false;
    m_region = capture::kNone;
    update();
}

void CapturingDialog::leaveEvent(QEvent*) {
    if (m_pressed) return;
    m_region = capture::kNone;
    repaint();
}

void CapturingDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), kFillColour);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

    const int in = capture::kFrameLineInset;
    painter.setPen(QPen(kFrameColour, capture::kFrameLineWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(in, in, -in, -in));

    for (const QRect& handle : capture::handleRects(m_region, size()))
        painter.fillRect(handle, kHandleColour);
}

void CapturingDialog::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
}

void CapturingDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
}
