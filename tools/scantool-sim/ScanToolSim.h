// A simulated scan tool on a pseudo-terminal: answers the probe, checks every frame of a flash pass, keeps what was
// flashed, and can be told to misbehave. One thread serves the line; every public call is thread-safe, and stop()
// ends promptly whatever the thread is waiting for.
// Paced, it keeps a line clock per direction at 115200 baud 8N1: bytes the host writes are taken at once, up to a
// driver's buffer of them (so the host's write returns, and a host that outruns the line waits), and parsed when
// they would be through the wire; a reply goes to the host as its bytes come off the wire. Late wake-ups of the
// serving thread cost no line time.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class ScanToolSim {
public:
    enum class Step { Probe, Enter, Erase, BlockHeader, BlockData, End };
    // Vanish: gone instead of answering. LeaveAfterReply: answers, then is gone (a tool that restarts).
    // StopReading: answers, then takes only readBytes more bytes of the line and no more (a hung tool).
    enum class FaultKind { Silent, DeviceError, ShortReply, SplitReply, Vanish, LeaveAfterReply, StopReading };
    struct Fault {
        Step step;
        FaultKind kind;
        int occurrence = -1;      // which occurrence of that step (0-based count since start()), -1 = every one
        int times = -1;           // how many times the fault fires before it is used up, -1 = for ever
        uint8_t errorCode = 0xE1; // DeviceError: third byte of the reply (E0..EF)
        int shortLength = 2;      // ShortReply: only the first 1 or 2 bytes of the reply are sent
        int splitDelayMs = 20;    // SplitReply: the reply is sent as 2 bytes, pause, then the rest
        int readBytes = 512;      // StopReading: bytes still taken after the reply
    };
    struct Options {
        std::string deviceDir;                                               // folder where the link is made
        std::string linkName = "usb-ScanTool_Virtual_COM_Port_SIM0001-if00"; // as udev's by-id link is named
        std::string model = "QM82";
        std::string identText; // default "TENVOR-" + model; the identification reply text
        bool paced = false;    // run at the real line rate, 115200 baud 8N1 = 11520 bytes/s, both directions
        int eraseMs = 0;       // time the erase takes before its reply
    };

    explicit ScanToolSim(Options o);
    ~ScanToolSim(); // stop()
    ScanToolSim(const ScanToolSim&) = delete;
    ScanToolSim& operator=(const ScanToolSim&) = delete;

    // Opens the pty, makes the line raw, links deviceDir/linkName to the slave and starts serving. Step counts
    // start again at 0; flashed memory, frames and violations are kept (the tool's flash survives a replug).
    // False, with lastError() saying why, when something could not be set up. True when already serving.
    bool start();
    // Removes the link, ends the thread, closes everything; idempotent.
    void stop();
    std::string linkPath() const;
    std::string slavePath() const;
    std::string lastError() const;

    void addFault(const Fault& f);
    void clearFaults();
    void setEraseMs(int ms);
    void setPaced(bool paced);
    // Unprompted report text, written to the host at once (paced if set).
    void sendReport(const std::string& text);
    // Report text sent once the host has opened the line (the first open after each start()), as a tool that
    // starts printing as soon as its port opens. Set it before start().
    void setReportOnOpen(const std::string& text);
    // The tool is unplugged now: link removed, pty closed (the host gets EIO or a hang-up). start() plugs it in again.
    void vanish();
    // Told one line per frame and event, on the serving thread (or the caller's, for sendReport and vanish).
    // Set it before start().
    void setEventHandler(std::function<void(const std::string&)> handler);

    // Observations (thread-safe copies).
    std::map<uint32_t, std::vector<uint8_t>> memory() const;              // flashed bytes per erased base address
    std::vector<std::string> violations() const;                          // every frame check that failed, in words
    std::vector<std::vector<uint8_t>> frames() const;                     // every complete frame received, in order
    int probes() const;                                                   // identification probes answered or not
    int completedPasses() const;                                          // End frames acknowledged
    bool waitFor(const std::function<bool()>& pred, int timeoutMs) const; // polls pred every few ms

private:
    using Bytes = std::vector<uint8_t>;
    using Clock = std::chrono::steady_clock;
    enum class Rx { Idle, Command, Data, RepeatData };

    // One direction of the line: when each byte handed to it is through. Times count from the moment the line last
    // went busy, so they never drift however late the thread that follows them wakes.
    class LineClock {
    public:
        // When a byte that was ready to go at `ready` is through, after the bytes before it.
        Clock::time_point next(Clock::time_point ready);

    private:
        Clock::time_point m_start{}, m_free{};
        int64_t m_bytes = 0;
    };
    struct RxByte {
        uint8_t value;
        Clock::time_point through; // when it is through the line (when it was taken, unpaced)
    };

    void serve();
    void onHostOpened();
    void parseArrived();
    size_t bytesBeforeAction() const;
    void feed(uint8_t b);
    void feedData(uint8_t b);
    void flushJunk();
    bool morePending() const;
    void onCommand(const Bytes& frame);
    // Counts the step, consults the faults, applies the frame unless a fault forbids it, and answers.
    void handle(Step step, const Bytes& frame, const std::function<Bytes()>& apply);
    std::optional<Fault> takeFault(Step step, int occurrence);
    Bytes enter(const Bytes& f);
    Bytes erase(const Bytes& f);
    Bytes header(const Bytes& f);
    Bytes blockData(const Bytes& f);
    Bytes end(const Bytes& f);
    Bytes refuse(const std::string& why);
    void resetPass();
    // Sends bytes whose line time starts no sooner than `from` (and the bytes before them); blocks until they are
    // with the host. m_txMu is taken.
    void writeOut(const Bytes& bytes, Clock::time_point from, int splitDelayMs = -1);
    // With m_txMu held: hands bytes to the host as they come off the line; *through is when the last one was there.
    bool transmit(const uint8_t* data, size_t length, Clock::time_point from, Clock::time_point* through);
    bool writeAll(const uint8_t* data, size_t length);
    // Until the host has read what was sent to it (a host that does not read is waited for a while only).
    void awaitHostRead();
    // Sleeps unless the session is ending; false when it is (or has ended meanwhile).
    bool pause(int64_t microseconds) const;
    bool pauseUntil(Clock::time_point deadline) const;
    void signalEnding();
    void closeLine();
    void event(const std::string& text) const;
    void violation(const std::string& text);

    Options m_opt;
    std::atomic<bool> m_paced;
    std::atomic<int> m_eraseMs;

    mutable std::mutex m_mu; // observations, faults, step counts, event handler, last error
    std::function<void(const std::string&)> m_eventHandler;
    std::map<uint32_t, Bytes> m_memory;
    std::vector<std::string> m_violations;
    std::vector<Bytes> m_frames;
    int m_probes = 0;
    int m_completedPasses = 0;
    std::vector<Fault> m_faults;
    std::map<Step, int> m_stepCounts;
    std::string m_lastError;

    std::mutex m_lifeMu; // start, stop, vanish
    std::mutex m_txMu;   // writes to the master, its closing, and the line towards the host
    LineClock m_txLine;
    std::thread m_thread;
    std::atomic<std::thread::id> m_serverId{};
    std::atomic<bool> m_ending{false};
    int m_master = -1;
    int m_slaveKeep = -1; // keeps the slave open, so the host closing its side leaves the master readable
    int m_wakeFd = -1;    // an eventfd, readable once the session is ending
    int m_openWatch = -1; // inotify on the slave: readable when the host opens it
    std::string m_reportOnOpen;
    std::string m_slavePath;
    std::string m_linkPath;

    // Serving thread only: the line from the host, the receive parser and the flash state.
    LineClock m_rxLine;
    std::deque<RxByte> m_rxQueue;     // taken from the pseudo-terminal, not parsed yet
    Clock::time_point m_eventTime;    // when the byte being parsed was through, or the erase done: replies go after
    std::optional<size_t> m_readLeft; // set once a StopReading fault fired: bytes still taken from the line
    Rx m_rx = Rx::Idle;
    Bytes m_buf;
    size_t m_expect = 0;
    bool m_reportOnOpenSent = false;
    Bytes m_junk;
    Bytes m_lastHeader;
    Bytes m_lastData;
    bool m_entered = false;
    bool m_dataSection = false;
    uint32_t m_base = 0;
    bool m_erased = false;
    uint32_t m_nextIndex = 0;
    uint32_t m_blockAddress = 0;
    uint32_t m_blockLength = 0;
    bool m_lastBlockSeen = false;
    bool m_passEnded = false;
    bool m_passCounted = false;
};
