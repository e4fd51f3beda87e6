// One flash pass over a section: enter, erase, addressed 2048-byte blocks and end, each step an exchange.
// Qt-free and transport-free: the caller supplies the exchange and hears of progress through a callback.
#pragma once

#include "frames.h"

#include <cstdint>
#include <functional>

namespace firmware {

// Per-step reply time-outs in milliseconds.
struct PassTimeouts {
    uint32_t enterMs = 100;
    uint32_t eraseMs = 50000; // a full-chip erase can take tens of seconds
    uint32_t headerMs = 100;
    uint32_t dataMs = 5000; // the tool writes the block to flash before it answers
    uint32_t endMs = 100;
};

// Sends a frame and waits for the reply; returns the reply's length (>= 3 to be accepted), 0 or -1.
using Exchange = std::function<long long(const uint8_t* frame, long long length, uint32_t timeoutMs, uint8_t* reply)>;
// Told the progress (0..1) before each block.
using BlockProgress = std::function<void(float progress)>;

// What else a caller may follow of a pass: a flasher that shows its own progress (whole percents of the bytes
// sent, a status text once the tool has entered flash mode) needs the steps, not only the fraction.
struct PassHooks {
    std::function<void()> entered;                   // the enter step was acknowledged; the erase is next
    std::function<void(uint32_t index)> blockStarts; // before each block's header, first block 0
};

// Progress flag: 1 a lone pass (0..1), 2 the first of two passes (0..0.5), 3 the second (0.5..1).
float blockProgress(uint32_t remaining, uint32_t total, int flag);

// Which step of a pass failed, for logs and tests.
enum class PassStep { None, Enter, Erase, BlockHeader, BlockData, End };

struct PassResult {
    bool ok = false;
    PassStep failedAt = PassStep::None;
    uint32_t failedBlock = 0;
};

// Sends one section. No frame follows a failed step.
PassResult runPass(const Exchange& exchange, const uint8_t* section, uint32_t total, const Frame9& enter,
                   const Frame9& erase, uint32_t base, int flag, const PassTimeouts& timeouts,
                   const BlockProgress& progress, const PassHooks& hooks = {});

const char* passStepName(PassStep step);

} // namespace firmware
