// CPrintPage: the report capture page. While it is shown, a reader thread collects the report text the scan tool
// sends on the identified tool's port and gathers the decoded text for the page, which takes all that has gathered
// on message 0x752 (one on its way at a time, so a burst costs one message per turn of the event loop); the page
// appends it to its plain-text box, breaking lines longer than kLongestLine and keeping only the newest
// kMaxReportCharacters. Print (through CDiagSystemPrinter), Clear and Copy work on the box.
// The page owns the reader thread: it is stopped (woken through an eventfd, its port closed) and joined before
// another starts and before the page goes. Never started while a flash holds the tool. Interface thread, except
// ReportReceiveThread.
#pragma once

#include "DiagSystemPrinter.h"
#include "Dialog.h"
#include "WindowMessage.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>
#include <string>
#include <thread>

// The capture thread's message to the page: text has gathered.
constexpr unsigned WM_REPORT_TEXT = kMsgReportText;

class CPrintPage : public CDialog, public CMessageTarget {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 200;
    // One read takes at most this many bytes.
    static constexpr size_t kChunkSize = 2047;
    // A port that will not open, or has gone, is tried again after this pause (an unplugged tool must not spin).
    static constexpr int kReopenPauseMs = 500;
    static constexpr int kButtonWidth = 160, kButtonHeight = 45;
    // A line longer than this is broken: the box lays out a whole line again on every append, which grows
    // quadratic with a line's length (a tool sending text without line ends).
    static constexpr int kLongestLine = 1024;
    // The box keeps at most this many characters, the newest; each trim takes it down to kKeptAfterTrim, so that
    // trimming is rare. A report of some lines is a few kilobytes; a tool left sending fills this in minutes.
    static constexpr int kMaxReportCharacters = 4 * 1024 * 1024;
    static constexpr int kKeptAfterTrim = 3 * 1024 * 1024;
    // The box lays out what it is given in one go: the page takes about this much text a turn of its event loop,
    // so that a burst leaves the window answering.
    static constexpr int kMaxCharactersPerTurn = 256 * 1024;
    // A double-byte report held until its end marker keeps at most this many bytes, the newest.
    static constexpr size_t kMaxHeldBytes = size_t(kMaxReportCharacters);

    explicit CPrintPage(QWidget* parent = nullptr);
    ~CPrintPage() override;

    // Starts the capture on port unless one runs there already; an empty port or busy (a flash runs) stops it.
    void StartReportCapture(const std::string& port, bool busy);
    // Stops the capture, closes its port and waits for the thread.
    void StopReportCapture();
    // Leaving the page: the report text is emptied and the capture stopped.
    void StopCapture();
    bool captureRunning() const { return m_thread.joinable(); }
    std::string capturePort() const { return m_capturePort; }
    // Opens of the port the current or last capture tried.
    int openAttempts() const;

    void OnReportText(const QString& chunk);
    void OnBnClickedPrint();
    void OnBnClickedClear();
    void OnBnClickedCopy();

    QPlainTextEdit* reportEdit() const { return m_edit; } // control 1034
    QPushButton* printButton() const { return m_print; }  // 1035
    QPushButton* clearButton() const { return m_clear; }  // 1036
    QPushButton* copyButton() const { return m_copy; }    // 1037
    CDiagSystemPrinter& printer() { return m_printer; }

    bool OnMessage(unsigned message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    struct Shared; // what the thread keeps across captures: the double-byte end marker
    static void ReportReceiveThread(CPrintPage* page, std::string port, int wakeFd, int codePage, bool doubleByte,
                                    std::shared_ptr<Shared> shared);
    void OnSize(int w, int h);

    QPlainTextEdit* m_edit;
    QPushButton* m_print;
    QPushButton* m_clear;
    QPushButton* m_copy;
    CDiagSystemPrinter m_printer;
    std::thread m_thread;
    int m_wakeFd = -1;
    std::string m_capturePort; // apart from the device port the flash uses
    std::shared_ptr<Shared> m_shared;
    bool m_endedWithCR = false; // the last chunk shown ended with CR
    int m_lastLineLength = 0;   // characters of the box's last line, which the next chunk continues
};
