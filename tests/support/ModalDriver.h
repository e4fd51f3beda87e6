// Drives the modal dialogs a test opens, and sees that none of them outlives its bound: a dialog that is not the one
// expected, or ignores its answer, ends with a failed outcome instead of a test that hangs until the test runner's
// time-out.
// GUI thread only. Qt runs a modal dialog in a loop nested inside the call that opened it, so the answers come from
// a timer polling the active modal widget. A timer's handler is not entered again while it runs: `answer` must not
// run a modal loop itself (queue the call that would, e.g. a file dialog's accept that may warn).
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// How the modal dialogs of one driven call, or of a driver's life, ended.
struct ModalOutcome {
    int answered = 0; // dialogs `answer` said it answered
    QString forced;   // class of the first modal widget still open at its bound and closed here, or empty
    bool ok() const { return answered > 0 && forced.isEmpty(); }
    // What went wrong, for a failure message.
    std::string describe() const;
};

// Answering takes a few polls; this is far beyond them on a loaded sanitizer build and far below ctest's time-out.
constexpr std::chrono::milliseconds kModalBound{10000};

// Answers the modal widgets that show while it lives. Each is handed to `answer` at every poll until `answer` returns
// true (answered) for it; returning false asks again at the next poll, for a dialog not ready for its answer yet, and
// leaves a dialog `answer` does not know to the bound. A modal widget still open `bound` after it first showed is
// rejected (a dialog) or closed.
class ModalDriver {
public:
    explicit ModalDriver(std::function<bool(QWidget*)> answer, std::chrono::milliseconds bound = kModalBound);
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    const ModalOutcome& outcome() const { return m_outcome; }
    // Modal widgets that any driver closed at its bound so far in this process: a wait for what an answer would have
    // brought can give up once this moves.
    static int forcedCount();

private:
    void poll();

    struct Seen {
        QPointer<QWidget> widget;
        QElapsedTimer since;
        bool answered = false;
        bool forced = false;
    };
    std::function<bool(QWidget*)> m_answer;
    std::chrono::milliseconds m_bound;
    std::vector<Seen> m_seen; // modal widgets still shown, in the order they showed
    ModalOutcome m_outcome;
    QTimer m_poll; // owned here, so it cannot fire into a later test
};

// Runs `open`, which opens modal dialogs and returns once they are closed, with a driver answering them.
ModalOutcome driveModal(const std::function<void()>& open, const std::function<bool(QWidget*)>& answer,
                        std::chrono::milliseconds bound = kModalBound);

// The same, answering only a modal widget of class Dialog (other modal widgets are left to the bound).
template <class Dialog>
ModalOutcome driveModal(const std::function<void()>& open, const std::function<bool(Dialog*)>& answer,
                        std::chrono::milliseconds bound = kModalBound) {
    return driveModal(
        open,
        [&answer](QWidget* widget) {
            auto* dialog = qobject_cast<Dialog*>(widget);
            return dialog && answer(dialog);
        },
        bound);
}
