#include "ModalDriver.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

std::string ModalOutcome::describe() const {
    if (!answered) return forced.isEmpty() ? "no dialog to answer came" : "the dialog was never answered";
    return forced.isEmpty() ? "answered" : "answered, but a " + forced.toStdString() + " was still open at the bound";
}

ModalOutcome driveModal(const std::function<void()>& open, const std::function<bool(QWidget*)>& answer,
                        std::chrono::milliseconds bound) {
    constexpr int kPollMs = 10; // a dialog's answer waits at most this long after the dialog shows
    ModalOutcome outcome;
    QElapsedTimer clock;
    clock.start();
    // Owned here, so it cannot fire into a later test.
    QTimer poll;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        if (clock.hasExpired(bound.count())) {
            if (outcome.forced.isEmpty()) outcome.forced = QString::fromLatin1(modal->metaObject()->className());
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
            return;
        }
        if (!outcome.answered) outcome.answered = answer(modal);
    });
    poll.start();
    open();
    return outcome;
}
