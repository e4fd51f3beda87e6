#include "KorvoUpdatePrintInfoView.h"

#include "DevicePort.h"
#include "KorvoUpdateButton.h"
#include "KorvoUpdateCommonTool.h"
#include "NotificationCenter.h"
#include "korvostyle.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTextCodec>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace {
const QByteArray kIdentPrefix("TENVOR");
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
    m_priView = new QTextEdit(this);
    m_priView->setReadOnly(true);
    m_priView->setTextInteractionFlags(Qt::NoTextInteraction);
    m_priView->setFont(korvostyle::systemFont(kTextPixelSize));
    m_priView->setFrameShape(QFrame::NoFrame);
    m_priView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_priView->setStyleSheet("QTextEdit { background: white; color: black; }");
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
    DevicePort& port = DevicePort::sharedManager();
    if (!port.isOpenPort()) return;
    if (!port.curName().isEmpty()) return;
    if (port.isUpdating()) return;
    didStartTimer();
}

void KorvoUpdatePrintInfoView::didStartTimer() {
    closeTimer();
    m_timer.start();
}

void KorvoUpdatePrintInfoView::timerFired() {
    didReadPrintInfo();
}

void KorvoUpdatePrintInfoView::didReadPrintInfo() {
    DevicePort::sharedManager().readData(kDidGetPrintData);
}

void KorvoUpdatePrintInfoView::closeTimer() {
    m_timer.stop();
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
    m_text += text;
    appendToView(text);
}

void KorvoUpdatePrintInfoView::appendToView(const QString& text) {
    // The area shows each line break once, whether the tool ends lines in CR LF, LF or CR.
    QString shown;
    shown.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == '\n' && m_pendingCR) {
            m_pendingCR = false;
            continue;
        }
        m_pendingCR = c == '\r';
        shown += m_pendingCR ? QChar('\n') : c;
    }
    if (shown.isEmpty()) return;
    QScrollBar* bar = m_priView->verticalScrollBar();
    const int position = bar->value();
    QTextCursor cursor(m_priView->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(shown);
    bar->setValue(position);
}

void KorvoUpdatePrintInfoView::printAction() {
    printDocument();
}

void KorvoUpdatePrintInfoView::clearAction() {
    m_text.clear();
    m_pendingCR = false;
    m_priView->clear();
}

void KorvoUpdatePrintInfoView::copyAction() {
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m_text);
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
