// Tab 1, report capture and printing: while the tab is shown, and from the moment the port is open, no tool is
// identified and no flash runs, the port is read once a second for the report text the tool sends unprompted; each
// read takes all that is waiting. The text is decoded in the code page of the interface language and appended to a
// read-only text area, with Print, Clear and Copy below. Once started, the capture goes on until the tab is left.
//
// Decoding keeps its state from one read to the next, so a character or a CR LF split across two reads comes out
// whole; bytes not valid in the code page show as U+FFFD. A read that begins with the identification reply
// ("TENVOR") is not report text: it goes on to the identification handler under "didGetReceiveData".
// The text area is the only store of the report: a line longer than kLongLineLength is shown broken into pieces
// (text() and Copy give it whole), and only the last kMaxKeptLength characters or so are kept, older lines going
// first. GUI thread only.
#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class KorvoUpdateButton;
class QPlainTextEdit;
class QPrinter;
class QTextCodec;
class QTextDecoder;
struct Notification;

class KorvoUpdatePrintInfoView : public QWidget {
public:
    static constexpr int kPollIntervalMs = 1000; // the tool sends its reports slowly; one read a second keeps up
    static constexpr int kBarHeight = 60;
    static constexpr int kButtonWidth = 150;
    static constexpr int kButtonHeight = 40;
    static constexpr int kButtonGap = 60;
    static constexpr int kButtonPixelSize = 15;
    static constexpr int kTextPixelSize = 16;
    // Printed in a size that reads well on paper, whatever the screen shows.
    static constexpr int kPrintPointSize = 10;
    // Far longer than any report line; a piece this long is laid out at once, where a line of megabytes would make
    // every append lay it out anew.
    static constexpr int kLongLineLength = 2000;
    // Some 4 MB of text: hours of reports. Beyond it the oldest lines go, down to kKeptAfterTrim.
    static constexpr int kMaxKeptLength = 2 * 1024 * 1024;
    static constexpr int kKeptAfterTrim = kMaxKeptLength / 4 * 3;

    explicit KorvoUpdatePrintInfoView(QWidget* parent = nullptr);
    ~KorvoUpdatePrintInfoView() override;

    // Told on every tab selection: true when tab 1 was selected. While the tab is shown, the capture starts as soon
    // as the port is open with no tool identified and no flash running.
    void didOpenOrCloseTime(bool open);
    void didStartTimer();
    void timerFired();
    void didReadPrintInfo();
    void closeTimer();
    // The handler of "didGetPrintData": the raw bytes of one read.
    void didGetReceiveData(const QByteArray& data);

    void printAction();
    void clearAction();
    void copyAction();
    // Shows the print dialog over the shared print settings and prints when the user agrees.
    void printDocument();
    // Prints the text on printer, portrait, fitted to the page width, paginated with page numbers.
    void printOn(QPrinter& printer) const;
    // The application's shared print settings (portrait, fit to width once a print was set up).
    static QPrinter& sharedPrinter();

    // The captured text kept, exactly as decoded.
    QString text() const;
    bool isOpen() const { return m_open; }
    bool isCapturing() const { return m_capturing; }
    // The poll timer while capture is on, else nullptr.
    const QTimer* timer() const { return m_capturing ? &m_timer : nullptr; }
    QPlainTextEdit* priView() const { return m_priView; }
    KorvoUpdateButton* printButton() const { return m_printButton; }
    KorvoUpdateButton* clearButton() const { return m_clearButton; }
    KorvoUpdateButton* lastButton() const { return m_lastButton; }
    QWidget* bottomView() const { return m_bottomView; }

    // The code page of report text for an interface language file code: ru Windows-1251, pl ISO 8859-2, else UTF-8.
    static QByteArray encodingForLanguage(const QString& languageCode);
    // Replaces the print dialog (tests); empty restores it. It returns whether to print.
    using PrintDialog = std::function<bool(QPrinter& printer, QWidget* parent)>;
    static void setPrintDialogForTesting(PrintDialog dialog);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void setupUI();
    void loadPrintView();
    void configData();
    void layoutSubviews();
    // The port is open, no tool is identified and no flash runs.
    static bool captureConditionsHold();
    void appendToView(const QString& text);
    // Lets the oldest lines go when the text has grown past kMaxKeptLength; the number of lines shown that went.
    int trimToKeptLength();

    KorvoUpdateButton* m_printButton = nullptr;
    KorvoUpdateButton* m_clearButton = nullptr;
    KorvoUpdateButton* m_lastButton = nullptr;
    QWidget* m_bottomView = nullptr;
    QPlainTextEdit* m_priView = nullptr;
    QTimer m_timer; // runs while the tab is shown: it reads while capturing, else it waits for the conditions
    bool m_open = false;
    bool m_capturing = false;
    QByteArray m_encoding;
    std::unique_ptr<QTextDecoder> m_decoder;
    bool m_pendingCR = false; // the shown text ended in a CR that a following LF joins
};
