// The program's one connection to the scan tool's serial port: open, close, the identification probe,
// background reads delivered as notifications on the GUI thread, and the request-and-reply exchange of a flash.
//
// Threads: the GUI thread opens, closes and arms reads; a flash worker runs exchanges. Reads and a flash never
// share the port: beginExclusive() disarms any background read and keeps reads disarmed until endExclusive().
// abortExchange() makes a running or later exchange end at once with -1, until clearAbort(); whoever schedules a
// flash clears it first, so a stop asked for at any moment after that is never lost.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class BackgroundReader;

// Notification names given to readData() and the user-info key of their data.
extern const char* const kDidGetReceiveData; // "didGetReceiveData": identification reply
extern const char* const kDidGetPrintData;   // "didGetPrintData": report text
extern const char* const kReceiveDataKey;    // "ReceiveData"
extern const char* const kSerialPortNotOpen; // log line "Serial port is not open"

class DevicePort {
public:
    // Exchange parameters; the defaults are the tool's.
    struct ExchangeTiming {
        int attempts = 3;             // a step is written this many times when no reply comes
        int writeLimitMs = 15000;     // a write phase gives up after this long
        int failedWritePauseMs = 100; // pause before a failed write is tried again
        int emptyFramePauseMs = 100;  // pause for an attempt with nothing to send
        int replyPauseMs = 1;         // pause after a good reply, letting the tool settle
        // After a stopped flash the tool may still send the reply to its last frame: before the next probe the
        // line must have been silent this long, waiting at most settleMaxMs.
        int settleQuietMs = 300;
        int settleMaxMs = 1500;
    };

    static DevicePort& sharedManager();

    int serialFileDescriptor() const { return m_fd.load(); }
    QString devicePath() const;
    QStringList portDevices() const;
    QString postName() const;
    void setPostName(const QString& name);
    QString curName() const;
    void setCurName(const QString& name);
    // The background reader of a port opened by openSerialPort(); null when closed and after
    // retryOpenSerialPort(). It does not own the descriptor. Only opening and closing replace it (GUI thread).
    const BackgroundReader* fileHandle() const;
    bool isUpdating() const { return m_isUpdating.load(); }
    void setIsUpdating(bool updating) { m_isUpdating.store(updating); }

    bool isOpenPort() const { return m_fd.load() != -1; }
    // Lists the devices, opens the first that is the scan tool's (IOKitTool::isScanToolDevice) and arms nothing
    // yet; its callers close first.
    void openSerialPort();
    // Reopens the remembered tool's device when closed, without a reader.
    void retryOpenSerialPort();
    // errno of the last open of the tool's port when it failed (no permission, busy); 0 when it opened or no tool
    // port was found.
    int lastOpenError() const { return m_openError.load(); }
    void closeSerialPort();
    // One write; 1 when open (whatever the write achieved), -1 and the log line when closed.
    int sendData(const QByteArray& data);
    // Stores the name, then arms one background read when open with a reader (not during a flash). A read for
    // "didGetPrintData" takes all the report text waiting; any other, one reply's worth. What a read for
    // "didGetReceiveData" brings while no tool is identified is posted as "didGetPrintData" unless it is an
    // identification reply: it is report text.
    void readData(const QString& notificationName);
    // Drops the bytes waiting on the line (a late reply, report text), so that what is read next answers what is
    // sent next. After a stopped flash it first waits, blocking in poll(), for the line to fall quiet.
    void discardWaitingInput();

    // Writes the frame and waits for the reply (up to 8 bytes into recvBuf, which holds at least 1024).
    // Returns the reply's length, -1 for a device error, no reply or an aborted exchange, 0 when the last read
    // found nothing to read.
    long long mySendData(const uint8_t* data, long long length, unsigned timeOut, uint8_t* recvBuf);
    // The same with the frame in one write per attempt and no write-phase limit.
    long long shortSendData(const uint8_t* data, long long length, unsigned timeOut, uint8_t* recvBuf);

    void beginExclusive();
    void endExclusive();
    void abortExchange();
    void clearAbort();
    // Sleeps ms unless a stop is asked for; false when stopped.
    bool pauseUnlessAborted(int ms);

    void setExchangeTiming(const ExchangeTiming& timing);
    ExchangeTiming exchangeTiming() const;

private:
    DevicePort();
    ~DevicePort();
    // generation: that of the reader which made the read; a read of a port closed since is not delivered.
    void didReceiveData(const QByteArray& data, unsigned generation);
    long long exchange(const uint8_t* data, long long length, unsigned timeOut, uint8_t* recvBuf, bool oneWrite);
    // Reads the reply into recvBuf; see the .cpp for the gathering rule.
    long long awaitReply(int fd, unsigned timeOut, uint8_t* recvBuf, bool& timedOut);

    mutable std::mutex m_mutex; // guards the strings, the reader and open/close
    std::atomic<int> m_fd{-1};
    QString m_devicePath;
    QStringList m_portDevices;
    QString m_postName;
    QString m_curName;
    std::atomic<bool> m_isUpdating{false};
    std::unique_ptr<BackgroundReader> m_fileHandle;
    unsigned m_readerGeneration = 0; // changes whenever a reader goes
    bool m_exclusive = false;
    std::atomic<bool> m_aborted{false};
    std::atomic<bool> m_settleNeeded{false}; // a flash was stopped; the line may still carry its replies
    std::atomic<int> m_openError{0};
    int m_wake[2] = {-1, -1}; // woken by abortExchange()
    ExchangeTiming m_timing;
};
