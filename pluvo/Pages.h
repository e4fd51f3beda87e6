// The pages the main dialog hosts beside the update and support pages: report capture (print), DTC search,
// manuals and settings. Here they are the empty pages with what the main dialog uses of them; their contents
// come with their own work. Interface thread only, except the capture flags, which the capture thread reads.
#pragma once

#include "Dialog.h"

#include <QPlainTextEdit>
#include <atomic>
#include <mutex>
#include <string>

// The report capture's port ("" = none, the capture stops) and stop flag.
struct CaptureControl {
    std::mutex mutex;
    std::string port;
    std::atomic<bool> stop{true};
    void setPort(const std::string& p) {
        std::lock_guard<std::mutex> l(mutex);
        port = p;
    }
};
CaptureControl& captureControl();

class CPrintPage : public CDialog {
    Q_OBJECT
public:
    explicit CPrintPage(QWidget* parent = nullptr);
    // Starts the report capture on the tool's port.
    void StartCapture(const std::string& port);
    // Leaving the page: the report text is emptied, the capture port forgotten and the capture told to stop.
    void StopCapture();
    QPlainTextEdit* reportEdit() const { return m_edit; } // control 1034

private:
    QPlainTextEdit* m_edit;
};

class CSearchDtcPage : public CDialog {
    Q_OBJECT
public:
    explicit CSearchDtcPage(QWidget* parent = nullptr);
};

class CMannualPage : public CDialog {
    Q_OBJECT
public:
    explicit CMannualPage(QWidget* parent = nullptr);
};

class CSettingPage : public CDialog {
    Q_OBJECT
public:
    explicit CSettingPage(QWidget* parent = nullptr);
};
