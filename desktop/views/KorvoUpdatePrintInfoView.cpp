#include "KorvoUpdatePrintInfoView.h"

#include "DevicePort.h"
#include "KorvoUpdateButton.h"
#include "KorvoUpdateCommonTool.h"
#include "NotificationCenter.h"
#include "korvostyle.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCodec>
#include <QTextCursor>
#include <QTextDocument>

namespace {
const QByteArray kIdentPrefix("TENVOR");

// How a line of the text area ended in the report, kept as its block's user state, so that the report can be given
// back exactly as it came.
enum LineEnd : int {
    kOpenLine = -1, // the last line, not ended yet
    kEndLF = 1,
    kEndCRLF = 2,
    kEndCR = 3,
    kEndBroken = 4, // no line break in the report: the line was too long and goes on in the next block
};

KorvoUpdatePrintInfoView::PrintDialog g_printDialog;

bool runPrintDialog(QPrinter& printer, QWidget* parent) {
    if (g_printDialog) return g_printDialog(printer, parent);
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}
} // namespace

KorvoUpdatePrintInfoView::KorvoUpdatePrintInfoView(QWidget* parent) : QWidget(parent) {
    m_timer.setInterval(kPollIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { timerFired(); });
    setupUI();
}

KorvoUpdatePrintInfoView::~KorvoUpdatePrintInfoView() {
    closeTimer();
    NotificationCenter::defaultCenter().removeObserver(this);
}

void KorvoUpdatePrintInfoView::setPrintDialogForTesting(PrintDialog dialog) {
    g_printDialog = std::move(dialog);
}

QByteArray KorvoUpdatePrintInfoView::encodingForLanguage(const QString& languageCode) {
    if (languageCode == "ru") return "Windows-1251";
    if (languageCode == "pl") return "ISO-8859-2";
    return "UTF-8";
}

void KorvoUpdatePrintInfoView::setupUI() {
    m_bottomView = new QWidget(this);
    korvostyle::fillBackground(m_bottomView, korvostyle::kFrameGrey);
    m_printButton = new KorvoUpdateButton(m_bottomView);
    m_clearButton = new KorvoUpdateButton(m_bottomView);
    m_lastButton = new KorvoUpdateButton(m_bottomView);
    for (KorvoUpdateButton* b : {m_printButton, m_clearButton, m_lastButton})
        b->setFont(korvostyle::systemFont(kButtonPixelSize));
    connect(m_printButton, &QPushButton::clicked, this, [this] { printAction(); });
    connect(m_clearButton, &QPushButton::clicked, this, [this] { clearAction(); });
    connect(m_lastButton, &QPushButton::clicked, this, [this] { copyAction(); });
    loadPrintView();
    NotificationCenter::defaultCenter().addObserver(this, kDidGetPrintData, [this](const Notification& n) {
        didGetReceiveData(n.userInfo.value(kReceiveDataKey).toByteArray());
    });
    configData();
}

void KorvoUpdatePrintInfoView::loadPrintView() {
    m_priView = new QPlainTextEdit(this);
    m_priView->setReadOnly(true);
    m_priView->setTextInteractionFlags(Qt::NoTextInteraction);
    // Nothing is ever undone; an undo history would hold a second copy of the report.
    m_priView->setUndoRedoEnabled(false);
    m_priView->setFont(korvostyle::systemFont(kTextPixelSize));
    m_priView->setFrameShape(QFrame::NoFrame);
    m_priView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_priView->setStyleSheet("QPlainTextEdit { background: white; color: black; }");
    m_priView->setGeometry(10, 0, 890, 200);
}

void KorvoUpdatePrintInfoView::configData() {
    m_printButton->setText(localizedText("Print1"));
    m_clearButton->setText(localizedText("Print2"));
    m_lastButton->setText(localizedText("Print3"));
}

void KorvoUpdatePrintInfoView::resizeEvent(QResizeEvent*) {
    layoutSubviews();
}

void KorvoUpdatePrintInfoView::layoutSubviews() {
    const int W = width(), H = height();
    m_bottomView->setGeometry(0, H - kBarHeight, W, kBarHeight);
    const int top = (kBarHeight - kButtonHeight) / 2;
    const int clearLeft = (W - kButtonWidth) / 2;
    m_clearButton->setGeometry(clearLeft, top, kButtonWidth, kButtonHeight);
    m_printButton->setGeometry(clearLeft - kButtonGap - kButtonWidth, top, kButtonWidth, kButtonHeight);
    m_lastButton->setGeometry(clearLeft + kButtonWidth + kButtonGap, top, kButtonWidth, kButtonHeight);
    m_priView->setGeometry(0, 0, W, std::max(0, H - kBarHeight));
    configData();
}

void KorvoUpdatePrintInfoView::didOpenOrCloseTime(bool open) {
    m_open = open;
    if (!open) {
        closeTimer();
        return;
    }
    if (captureConditionsHold()) {
        didStartTimer();
        return;
    }
    // Not yet: the tick looks again, so a tool plugged in while the tab is shown is captured.
    if (!m_timer.isActive()) m_timer.start();
}

bool KorvoUpdatePrintInfoView::captureConditionsHold() {
    const DevicePort& port = DevicePort::sharedManager();
    return port.isOpenPort() && port.curName().isEmpty() && !port.isUpdating();
}

void KorvoUpdatePrintInfoView::didStartTimer() {
    closeTimer();
    m_capturing = true;
    m_timer.start();
}

void KorvoUpdatePrintInfoView::timerFired() {
    if (!m_capturing) {
        // The first read comes a tick after the conditions are found to hold, as after a start.
        m_capturing = captureConditionsHold();
        return;
    }
    didReadPrintInfo();
}

void KorvoUpdatePrintInfoView::didReadPrintInfo() {
    DevicePort::sharedManager().readData(kDidGetPrintData);
}

void KorvoUpdatePrintInfoView::closeTimer() {
    m_timer.stop();
    m_capturing = false;
}

void KorvoUpdatePrintInfoView::didGetReceiveData(const QByteArray& data) {
    if (data.isEmpty()) return;
    if (data.startsWith(kIdentPrefix)) {
        // The identification reply came under this view's read name; the firmware list still needs it.
        NotificationCenter::defaultCenter().post(kDidGetReceiveData, nullptr, {{kReceiveDataKey, data}});
        return;
    }
    const QByteArray encoding = encodingForLanguage(KorvoUpdateCommonTool::sharedTool().getUserLanguage());
    if (!m_decoder || encoding != m_encoding) {
        QTextCodec* codec = QTextCodec::codecForName(encoding);
        if (!codec) return;
        m_decoder.reset(codec->makeDecoder());
        m_encoding = encoding;
    }
    const QString text = m_decoder->toUnicode(data);
    if (text.isEmpty()) return;
    appendToView(text);
}

void KorvoUpdatePrintInfoView::appendToView(const QString& text) {
    QScrollBar* bar = m_priView->verticalScrollBar();
    const int position = bar->value();
    QTextDocument* document = m_priView->document();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    int lineLength = cursor.block().length() - 1;
    QString run; // what goes into the current line next
    const auto endLine = [&](LineEnd end) {
        if (!run.isEmpty()) cursor.insertText(run);
        run.clear();
        cursor.block().setUserState(end);
        cursor.insertBlock();
        cursor.block().setUserState(kOpenLine);
        lineLength = 0;
    };
    // Each line break shows once, whether the tool ends lines in CR LF, LF or CR.
    for (const QChar c : text) {
        if (c == '\n' && m_pendingCR) {
            m_pendingCR = false;
            cursor.block().previous().setUserState(kEndCRLF);
            continue;
        }
        m_pendingCR = c == '\r';
        if (c == '\r' || c == '\n') {
            endLine(c == '\r' ? kEndCR : kEndLF);
            continue;
        }
        run += c;
        // A character of two halves stays whole.
        if (++lineLength >= kLongLineLength && !c.isHighSurrogate()) endLine(kEndBroken);
    }
    if (!run.isEmpty()) cursor.insertText(run);
    cursor.endEditBlock();
    // The lines shown stay where they are, unless they were among those let go.
    const int removedLines = trimToKeptLength();
    bar->setValue(std::max(0, position - removedLines));
}

int KorvoUpdatePrintInfoView::trimToKeptLength() {
    QTextDocument* document = m_priView->document();
    if (document->characterCount() <= kMaxKeptLength) return 0;
    // Whole lines go, from the first up to the one that holds the start of what is kept.
    const QTextBlock firstKept = document->findBlock(document->characterCount() - kKeptAfterTrim);
    if (!firstKept.isValid() || firstKept.position() == 0) return 0;
    const int removedLines = firstKept.firstLineNumber();
    QTextCursor cursor(document);
    cursor.setPosition(firstKept.position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    return removedLines;
}

QString KorvoUpdatePrintInfoView::text() const {
    QString out;
    const QTextDocument* document = m_priView->document();
    out.reserve(document->characterCount());
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        out += block.text();
        switch (block.userState()) {
        case kEndLF:
            out += '\n';
            break;
        case kEndCRLF:
            out += QLatin1String("\r\n");
            break;
        case kEndCR:
            out += '\r';
            break;
        default:
            break;
        }
    }
    return out;
}

void KorvoUpdatePrintInfoView::printAction() {
    printDocument();
}

void KorvoUpdatePrintInfoView::clearAction() {
    m_pendingCR = false;
    m_priView->clear();
}

void KorvoUpdatePrintInfoView::copyAction() {
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text());
}

QPrinter& KorvoUpdatePrintInfoView::sharedPrinter() {
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

void KorvoUpdatePrintInfoView::printDocument() {
    QPrinter& printer = sharedPrinter();
    printer.setPageOrientation(QPageLayout::Portrait);
    if (!runPrintDialog(printer, this)) return;
    printOn(printer);
}

void KorvoUpdatePrintInfoView::printOn(QPrinter& printer) const {
    printer.setPageOrientation(QPageLayout::Portrait);
    QTextDocument document;
    QFont font = m_priView->font();
    font.setPointSize(kPrintPointSize);
    document.setDefaultFont(font);
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setPlainText(m_priView->toPlainText());
    // Unpaginated, the document is laid out at the page's width and numbered page by page.
    document.print(&printer);
}
