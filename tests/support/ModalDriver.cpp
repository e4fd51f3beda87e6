#include "ModalDriver.h"

#include <QApplication>
#include <QDialog>

#include <algorithm>

namespace {
int g_forcedCount = 0; // GUI thread only, as the drivers
} // namespace

std::string ModalOutcome::describe() const {
    if (!forced.isEmpty()) return "a " + forced.toStdString() + " was still open at the bound";
    return answered ? "answered" : "no dialog to answer came";
}

ModalDriver::ModalDriver(std::function<bool(QWidget*)> answer, std::chrono::milliseconds bound)
    : m_answer(std::move(answer)), m_bound(bound) {
    constexpr int kPollMs = 10; // a dialog's answer waits at most this long after the dialog shows
    m_poll.setInterval(kPollMs);
    QObject::connect(&m_poll, &QTimer::timeout, [this] { poll(); });
    m_poll.start();
}

int ModalDriver::forcedCount() {
    return g_forcedCount;
}

void ModalDriver::poll() {
    // A dialog shown again is a new showing, with an answer and a bound of its own.
    m_seen.erase(std::remove_if(m_seen.begin(), m_seen.end(),
                                [](const Seen& s) { return s.widget.isNull() || !s.widget->isVisible(); }),
                 m_seen.end());
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    // Kept per widget: one answered stays answered when a dialog it opened closes over it.
    auto seen = std::find_if(m_seen.begin(), m_seen.end(), [modal](const Seen& s) { return s.widget == modal; });
    if (seen == m_seen.end()) {
        seen = m_seen.insert(m_seen.end(), Seen{modal, {}, false, false});
        seen->since.start();
    }
    if (seen->since.hasExpired(m_bound.count())) {
        if (m_outcome.forced.isEmpty()) m_outcome.forced = QString::fromLatin1(modal->metaObject()->className());
        if (!seen->forced) ++g_forcedCount;
        seen->forced = true;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        return;
    }
    if (seen->answered) return;
    if (m_answer(modal)) {
        seen->answered = true;
        ++m_outcome.answered;
    }
}

ModalOutcome driveModal(const std::function<void()>& open, const std::function<bool(QWidget*)>& answer,
                        std::chrono::milliseconds bound) {
    ModalDriver driver(answer, bound);
    open();
    return driver.outcome();
}
