// pluvo's private window messages: a number with two parameters, posted (queued) or sent (run on the receiver's
// thread while the sender waits) to a page or control, which answers them in OnMessage. Safe from any thread.
#pragma once

#include <QEvent>
#include <QObject>
#include <cstdint>
#include <functional>

// Message numbers, kept as the pages know them.
constexpr unsigned kMsgDeviceState = 0x511;    // main dialog -> update page; wParam 0 tool ready, 1 not ready
constexpr unsigned kMsgButtonClicked = 0x614;  // ClrButton -> parent; wParam the control id
constexpr unsigned kMsgReportText = 0x752;     // capture thread -> print page
constexpr unsigned kMsgProgress = 0x753;       // worker -> list; wParam row, lParam percent
constexpr unsigned kMsgStatusText = 0x754;     // worker -> list; wParam row, lParam const QString*
constexpr unsigned kMsgFlashStart = 0x755;     // worker -> list; lParam row
constexpr unsigned kMsgFlashFailed = 0x756;    // worker -> list
constexpr unsigned kMsgFlashSucceeded = 0x757; // worker -> list; lParam const FlashedVersion*
constexpr unsigned kMsgFlashEnd = 0x758;       // worker -> list; lParam row
constexpr unsigned kMsgSerialFailure = 0x47B;  // SerialPort -> notify window; wParam const QString*

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(unsigned message, WPARAM w, LPARAM l);
    static QEvent::Type eventType();
    unsigned message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool handled = false;
};

// What a receiver implements; its event() hands WindowMessageEvent to DispatchMessage.
class CMessageTarget {
public:
    virtual ~CMessageTarget() = default;
    // True when the message was this receiver's; result is what SendMessage returns.
    virtual bool OnMessage(unsigned message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    // For event(): true when e was a window message (answered or not).
    bool DispatchMessage(QEvent* e);
};

// Queues the message for the receiver's thread; returns at once.
void PostMessage(QObject* receiver, unsigned message, WPARAM wParam, LPARAM lParam);
// Runs the message on the receiver's thread and returns its result; from another thread the caller blocks until
// then, so the receiver's thread must never wait for the caller. 0 for a null receiver.
LRESULT SendMessage(QObject* receiver, unsigned message, WPARAM wParam, LPARAM lParam);
// Runs work on the interface thread and waits for it (boxes are shown there only).
void RunOnInterfaceThread(const std::function<void()>& work);
