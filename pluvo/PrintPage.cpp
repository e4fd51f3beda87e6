#include "PrintPage.h"

#include "CodePage.h"
#include "QuenlarkApp.h"
#include "SerialPort.h"
#include "TextIds.h"
#include "TextLibrary.h"
#include "serial.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCodec>
#include <QTextCursor>
#include <QTextDecoder>
#include <QTextDocument>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {
constexpr int kEditId = 1034, kPrintId = 1035, kClearId = 1036, kCopyId = 1037;
// The text box leaves this much room at its right and for the buttons below it.
constexpr int kRightGap = 20, kBottomGap = 65, kButtonsFromBottom = 55;
constexpr char kDocName[] = "pluvo";
// The double-byte report is shown once its end marker has come.
constexpr char kEndMarker[] = "\r\n\r\n";
constexpr size_t kEndMarkerLength = sizeof kEndMarker - 1;

QString text(const TextId& id) {
    return pluvo::adsGetStdText_CString(MakeTextId(id));
}

// The codec of a code page; a single-byte Western one for anything unknown.
QTextCodec* codecFor(int codePage) {
    const char* name = "windows-1252";
    switch (codePage) {
    case kLatin1CodePage:
        name = "ISO-8859-1";
        break;
    case kLatin2CodePage:
        name = "ISO-8859-2";
        break;
    case kCyrillicCodePage:
        name = "windows-1251";
        break;
    case kChineseCodePage:
        name = "GBK";
        break;
    default:
        break;
    }
    QTextCodec* c = QTextCodec::codecForName(name);
    return c ? c : QTextCodec::codecForName("ISO-8859-1");
}

// Sleeps ms unless the wake descriptor fires; false when woken.
bool pauseUnlessWoken(int wakeFd, int ms) {
    pollfd p{wakeFd, POLLIN, 0};
    int r;
    do {
        r = ::poll(&p, 1, ms);
    } while (r < 0 && errno == EINTR);
    return r == 0;
}
} // namespace

struct CPrintPage::Shared {
    std::atomic<bool> endMarkerSeen{false}; // kept for the rest of the run, as the tool sends its marker once
    std::atomic<int> attempts{0};
    // Text read but not yet shown, the newest at most kMaxReportCharacters and a chunk, and whether a message for
    // it is on its way: one message per turn of the page's event loop, however fast the tool sends.
    std::mutex pendingMutex;
    QStringList pending;
    int pendingCharacters = 0;
    bool posted = false;
    bool dropped = false; // older text was let go: what the box holds is older still
};

CPrintPage::CPrintPage(QWidget* parent)
    : CDialog(parent), m_edit(new QPlainTextEdit(this)), m_print(new QPushButton(this)), m_clear(new QPushButton(this)),
      m_copy(new QPushButton(this)), m_shared(std::make_shared<Shared>()) {
    setObjectName(QStringLiteral("page%1").arg(kTemplateId));
    m_edit->setObjectName(QStringLiteral("edit%1").arg(kEditId));
    m_print->setObjectName(QStringLiteral("button%1").arg(kPrintId));
    m_clear->setObjectName(QStringLiteral("button%1").arg(kClearId));
    m_copy->setObjectName(QStringLiteral("button%1").arg(kCopyId));
    m_edit->setReadOnly(true);
    // Nothing in the box is undone: an undo history would keep every byte ever received (and every line trimmed).
    m_edit->setUndoRedoEnabled(false);
    m_edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_print->setText(text(textid::kPrintButton));
    m_clear->setText(text(textid::kClearButton));
    m_copy->setText(text(textid::kCopyButton));
    for (QPushButton* b : {m_print, m_clear, m_copy})
        b->setAutoDefault(false);
    connect(m_print, &QPushButton::clicked, this, &CPrintPage::OnBnClickedPrint);
    connect(m_clear, &QPushButton::clicked, this, &CPrintPage::OnBnClickedClear);
    connect(m_copy, &QPushButton::clicked, this, &CPrintPage::OnBnClickedCopy);
    m_printer.SetDocName(QString::fromLatin1(kDocName));
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

CPrintPage::~CPrintPage() {
    StopReportCapture();
    if (m_wakeFd >= 0) ::close(m_wakeFd);
}

int CPrintPage::openAttempts() const {
    return m_shared->attempts;
}

void CPrintPage::StartReportCapture(const std::string& port, bool busy) {
    if (port.empty() || busy) {
        StopReportCapture();
        return;
    }
    if (m_thread.joinable() && port == m_capturePort) return;
    StopReportCapture();
    if (m_wakeFd < 0) return;
    m_capturePort = port;
    m_shared->attempts = 0;
    m_thread = std::thread(ReportReceiveThread, this, port, m_wakeFd, CCodePage::InterfaceCodePage(),
                           CQuenlarkApp::doubleByteLanguage(), m_shared);
}

void CPrintPage::StopReportCapture() {
    if (m_thread.joinable()) {
        const uint64_t one = 1;
        (void)!::write(m_wakeFd, &one, sizeof one);
        m_thread.join();
        uint64_t drained;
        (void)!::read(m_wakeFd, &drained, sizeof drained);
    }
    m_capturePort.clear();
}

void CPrintPage::StopCapture() {
    StopReportCapture();
    {
        std::lock_guard<std::mutex> lock(m_shared->pendingMutex);
        m_shared->pending.clear();
        m_shared->pendingCharacters = 0;
        m_shared->dropped = false;
    }
    OnBnClickedClear();
}

void CPrintPage::ReportReceiveThread(CPrintPage* page, std::string port, int wakeFd, int codePage, bool doubleByte,
                                     std::shared_ptr<Shared> shared) {
    std::unique_ptr<QTextDecoder> decoder(codecFor(codePage)->makeDecoder());
    std::string accumulated; // double-byte mode: bytes held until the end marker came
    auto post = [page, &shared](const QString& chunk) {
        if (chunk.isEmpty()) return;
        bool wake = false;
        {
            std::lock_guard<std::mutex> lock(shared->pendingMutex);
            shared->pending << chunk;
            shared->pendingCharacters += chunk.size();
            // What the box would trim away at once is never handed over.
            while (shared->pendingCharacters - shared->pending.front().size() >= kMaxReportCharacters) {
                shared->pendingCharacters -= shared->pending.takeFirst().size();
                shared->dropped = true;
            }
            wake = !shared->posted;
            shared->posted = true;
        }
        if (wake) PostMessage(page, WM_REPORT_TEXT, 0, 0);
    };
    uint8_t buffer[kChunkSize];
    for (;;) {
        SerialPort sp;
        sp.setWakeFd(wakeFd);
        ++shared->attempts;
        if (!sp.Open(port)) {
            if (!pauseUnlessWoken(wakeFd, kReopenPauseMs)) return;
            continue;
        }
        accumulated.clear();
        bool stop = false;
        for (;;) {
            const serial::Wait w = serial::waitReadable(sp.handle, -1, wakeFd);
            if (w == serial::Wait::Woken) {
                stop = true;
                break;
            }
            if (w != serial::Wait::Ready) break;
            // Readable with nothing to read is a hung-up line: close and reopen after a pause, never spin.
            const long n = sp.Read(buffer, sizeof buffer);
            if (n <= 0) break;
            const char* bytes = reinterpret_cast<const char*>(buffer);
            if (doubleByte && !shared->endMarkerSeen) {
                // Search only where the marker can newly end, so a long report without it is not scanned again and
                // again.
                const size_t tail = kEndMarkerLength - 1;
                const size_t from = accumulated.size() > tail ? accumulated.size() - tail : 0;
                accumulated.append(bytes, size_t(n));
                const bool marked = accumulated.find(kEndMarker, from) != std::string::npos;
                if (accumulated.size() > kMaxHeldBytes) {
                    // The newest bytes stay, from a whole character on: no GBK character's second byte lies below
                    // 0x40, so such a byte (a digit, a blank, a line end) is a character of its own.
                    size_t cut = accumulated.size() - kMaxHeldBytes;
                    while (cut < accumulated.size() && uint8_t(accumulated[cut]) >= 0x40)
                        ++cut;
                    accumulated.erase(0, cut);
                }
                if (!marked) continue;
                shared->endMarkerSeen = true;
                post(decoder->toUnicode(accumulated.data(), int(accumulated.size())));
                accumulated.clear();
                continue;
            }
            post(decoder->toUnicode(bytes, int(n)));
        }
        sp.Close();
        if (stop || !pauseUnlessWoken(wakeFd, kReopenPauseMs)) return;
    }
}

bool CPrintPage::event(QEvent* e) {
    if (DispatchMessage(e)) return true;
    return CDialog::event(e);
}

bool CPrintPage::OnMessage(unsigned message, WPARAM, LPARAM, LRESULT& result) {
    result = 0;
    if (message != WM_REPORT_TEXT) return false;
    QString text;
    bool more = false, dropped = false;
    {
        std::lock_guard<std::mutex> lock(m_shared->pendingMutex);
        Shared& shared = *m_shared;
        dropped = shared.dropped;
        shared.dropped = false;
        while (!shared.pending.isEmpty() && text.size() < kMaxCharactersPerTurn) {
            shared.pendingCharacters -= shared.pending.front().size();
            text += shared.pending.takeFirst();
        }
        more = !shared.pending.isEmpty();
        shared.posted = more;
    }
    // The rest comes in the next turn, after what else the window has to do.
    if (more) PostMessage(this, WM_REPORT_TEXT, 0, 0);
    if (dropped) {
        // At least a box full follows: the box starts again, from the first whole line.
        OnBnClickedClear();
        const int lineEnd = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
        if (lineEnd >= 0) text.remove(0, lineEnd + (text.midRef(lineEnd, 2) == QLatin1String("\r\n") ? 2 : 1));
    }
    if (!text.isEmpty()) OnReportText(text);
    return true;
}

void CPrintPage::OnReportText(const QString& chunk) {
    // CR LF is one line end even when a read splits it.
    QString text = chunk;
    if (m_endedWithCR && text.startsWith(QLatin1Char('\n'))) text.remove(0, 1);
    m_endedWithCR = text.endsWith(QLatin1Char('\r'));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Long lines broken where they reach kLongestLine, counting from the start of the box's last line.
    QString broken;
    broken.reserve(text.size() + text.size() / kLongestLine + 1);
    for (int start = 0; start < text.size();) {
        const int lineEnd = text.indexOf(QLatin1Char('\n'), start);
        const int end = lineEnd < 0 ? text.size() : lineEnd;
        for (int room = kLongestLine - m_lastLineLength; end - start > room; room = kLongestLine) {
            broken += text.midRef(start, room);
            broken += QLatin1Char('\n');
            start += room;
            m_lastLineLength = 0;
        }
        broken += text.midRef(start, end - start);
        m_lastLineLength += end - start;
        if (lineEnd < 0) break;
        broken += QLatin1Char('\n');
        m_lastLineLength = 0;
        start = lineEnd + 1;
    }
    QTextDocument* doc = m_edit->document();
    QTextCursor c(doc);
    c.movePosition(QTextCursor::End);
    c.insertText(broken);
    // The oldest whole lines go once the box holds too much.
    if (doc->characterCount() > kMaxReportCharacters) {
        const int drop = doc->characterCount() - kKeptAfterTrim;
        QTextBlock last = doc->findBlock(drop);
        QTextCursor trim(doc);
        trim.setPosition(last.next().isValid() ? last.next().position() : last.position(), QTextCursor::KeepAnchor);
        trim.removeSelectedText();
    }
    m_edit->moveCursor(QTextCursor::End);
    m_edit->verticalScrollBar()->setValue(m_edit->verticalScrollBar()->maximum());
}

void CPrintPage::OnBnClickedPrint() {
    const QString report = m_edit->toPlainText();
    if (report.isEmpty()) return;
    m_printer.SetDocName(QString::fromLatin1(kDocName));
    if (m_printer.SetUp(this)) m_printer.Print(report);
}

void CPrintPage::OnBnClickedClear() {
    m_edit->clear();
    m_endedWithCR = false;
    m_lastLineLength = 0;
}

void CPrintPage::OnBnClickedCopy() {
    const QString report = m_edit->toPlainText();
    if (!report.isEmpty()) QApplication::clipboard()->setText(report);
}

void CPrintPage::resizeEvent(QResizeEvent* e) {
    CDialog::resizeEvent(e);
    OnSize(width(), height());
}

void CPrintPage::OnSize(int w, int h) {
    m_edit->setGeometry(0, 0, w - kRightGap, h - kBottomGap);
    const int a = (w - 3 * kButtonWidth) / 4;
    const int y = h - kButtonsFromBottom;
    m_print->setGeometry(a, y, kButtonWidth, kButtonHeight);
    m_clear->setGeometry(2 * a + kButtonWidth, y, kButtonWidth, kButtonHeight);
    m_copy->setGeometry(3 * a + 2 * kButtonWidth, y, kButtonWidth, kButtonHeight);
}
