#include "WindowMessage.h"

#include <QCoreApplication>
#include <QThread>

WindowMessageEvent::WindowMessageEvent(unsigned m, WPARAM w, LPARAM l)
    : QEvent(eventType()), message(m), wParam(w), lParam(l) {}

QEvent::Type WindowMessageEvent::eventType() {
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

bool CMessageTarget::DispatchMessage(QEvent* e) {
    if (e->type() != WindowMessageEvent::eventType()) return false;
    auto* m = static_cast<WindowMessageEvent*>(e);
    m->handled = OnMessage(m->message, m->wParam, m->lParam, m->result);
    return true;
}

void PostMessage(QObject* receiver, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (receiver) QCoreApplication::postEvent(receiver, new WindowMessageEvent(message, wParam, lParam));
}

LRESULT SendMessage(QObject* receiver, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (!receiver) return 0;
    WindowMessageEvent e(message, wParam, lParam);
    if (receiver->thread() == QThread::currentThread()) {
        QCoreApplication::sendEvent(receiver, &e);
    } else {
        QMetaObject::invokeMethod(
            receiver, [&] { QCoreApplication::sendEvent(receiver, &e); }, Qt::BlockingQueuedConnection);
    }
    return e.result;
}

void RunOnInterfaceThread(const std::function<void()>& work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || app->thread() == QThread::currentThread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(app, work, Qt::BlockingQueuedConnection);
}
