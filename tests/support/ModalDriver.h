// Drives the modal dialogs a test opens, and sees that none of them outlives its bound: a dialog that ignores its
// answer ends with a failed outcome instead of a test that hangs until the test runner's time-out.
// GUI thread only. Qt runs a modal dialog in a loop nested inside the call that opened it, so the answers come from
// a timer polling the active modal widget. A timer's handler is not entered again while it runs: `answer` must not
// run a modal loop itself (queue the call that would, e.g. a file dialog's accept that may warn).
#pragma once

#include <QString>
#include <QWidget>

#include <chrono>
#include <functional>
#include <string>

// How the modal dialogs of one driven call ended.
struct ModalOutcome {
    bool answered = false; // `answer` said it answered a dialog
    QString forced;        // class of the first modal widget still open at the bound and closed here, or empty
    bool ok() const { return answered && forced.isEmpty(); }
    // What went wrong, for a failure message.
    std::string describe() const;
};

// Answering takes a few polls; this is far beyond them on a loaded sanitizer build and far below ctest's time-out.
constexpr std::chrono::milliseconds kModalBound{10000};

// Runs `open`, which opens modal dialogs and returns once they are closed. Until `answer` returns true (answered),
// it is handed the active modal widget at each poll; returning false asks it again at the next poll, for a dialog
// not ready for its answer yet. From `bound` after the start on, any modal widget still open is rejected (a
// dialog) or closed.
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
