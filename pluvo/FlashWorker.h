// The flash worker of the update page: one thread per confirmed flash. It checks the package, then flashes each
// section in a pass of its own (open, probe, enter, erase, blocks, end) through firmware::runPass, and tells the
// list of every step by messages sent to it (0x753 to 0x758), so every change of the screen runs on the interface
// thread. It holds the tool for the whole flash: a lease on the port keeps other programs out between passes.
#pragma once

#include "SerialPort.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace firmware {
struct PassTimeouts;
}

// What 0x757 carries: the version to record for the device id.
struct FlashedVersion {
    QString deviceId;
    QString version;
};

// Shared by the page and its worker: a stop request, and the eventfd that wakes the worker's exchanges.
struct FlashControl {
    FlashControl();
    ~FlashControl();
    FlashControl(const FlashControl&) = delete;
    FlashControl& operator=(const FlashControl&) = delete;
    // From now on the worker sends nothing more, shows no box and ends its exchange at once.
    void stop();
    bool stopped() const { return m_stopped.load(); }
    int wakeFd() const { return m_wakeFd; }
    std::atomic<bool> finished{false};

private:
    std::atomic<bool> m_stopped{false};
    int m_wakeFd = -1;
};

// Worker arguments, made by the page and owned by the worker.
struct FlashArgs {
    QObject* listWindow = nullptr;
    int row = 0;
    std::string path; // the package file
    std::string port; // the tool's port, as the device check found it
    QString deviceId; // the model the tool said it is, and the package's model field
    QString version;  // what a success records
    std::shared_ptr<FlashControl> control;
    // The lease on the port, taken by the first pass and given up only after the list has heard the result, so
    // that no other program gets the tool while pluvo still counts it as flashing.
    int leaseFd = -1;
};

// Limits and pauses of a flash.
struct FlashTiming {
    uint32_t probeMs = 100;
    uint32_t enterMs = 100;
    uint32_t eraseMs = 50000; // the tool erases its flash before it answers
    uint32_t headerMs = 100;
    uint32_t dataMs = 100;
    uint32_t endMs = 100;
    int betweenPassesMs = 1000; // the tool settles after the first section
    // Reopening the port for a pass: attempts and pause (a tool may re-enumerate after a pass).
    int reopenAttempts = 20;
    int reopenPauseMs = 100;
};
void SetFlashTiming(const FlashTiming& timing); // tests
FlashTiming GetFlashTiming();

// A package file larger than this is no package for any tool: refused before it is read.
constexpr long long kMaxPackageBytes = 16LL * 1024 * 1024;

// Thread function: takes ownership of args. Returns 0.
int FlashWorker(FlashArgs* args);
// 0 success, -1 failure (a box told the user why, unless stopped).
int ApplyUpdateFile(FlashArgs& args);

// One pass over a section. progressMode: 1 a lone pass (0-100), 2 the first of two (0-50), 3 the second (50-100).
int FlashImage(const uint8_t* payload, uint32_t length, const uint8_t* eraseFrame, const uint8_t* enterFrame,
               uint32_t baseAddress, int progressMode, FlashArgs& args);

// The row's status text during a pass: "%d%% / " and the step's text.
QString PassStatusText(int percent, bool erasing);
// Every status text the worker shows in a row, each at its widest (100 %), for the list to make room for them.
QStringList StatusTexts();

// Percent of a pass before block i: 64-bit, and 0 for an empty section.
int BlockPercent(uint64_t index, uint64_t length, int progressMode);

// The model in an identification reply: "TENVOR-" and the id, cut at the first zero byte and at count, only
// printable characters kept, at most 260. Empty when the reply is no identification.
QString ParseIdentReply(const uint8_t* reply, long count);
