#include "flashpass.h"

#include <algorithm>
#include <vector>

namespace firmware {

float blockProgress(uint32_t remaining, uint32_t total, int flag) {
    // An empty section has nothing to divide: it is at its start.
    const float p = total == 0 ? 0.0f : 1.0f - float(double(remaining) / double(total));
    if (flag == 2) return p * 0.5f;
    if (flag == 3) return p * 0.5f + 0.5f;
    return p;
}

PassResult runPass(const Exchange& exchange, const uint8_t* section, uint32_t total, const Frame9& enter,
                   const Frame9& erase, uint32_t base, int flag, const PassTimeouts& timeouts,
                   const BlockProgress& progress, const PassHooks& hooks) {
    PassResult result;
    uint8_t reply[kReplyBufferSize];
    auto step = [&](const uint8_t* frame, size_t length, uint32_t timeoutMs, uint8_t code) {
        const long long n = exchange(frame, (long long)length, timeoutMs, reply);
        return isAccepted(reply, n, code);
    };

    if (!step(enter.data(), enter.size(), timeouts.enterMs, kReplyEnter)) {
        result.failedAt = PassStep::Enter;
        return result;
    }
    if (hooks.entered) hooks.entered();
    if (!step(erase.data(), erase.size(), timeouts.eraseMs, kReplyErase)) {
        result.failedAt = PassStep::Erase;
        return result;
    }
    for (uint32_t i = 0;; ++i) {
        const uint32_t offset = kBlockSize * i;
        const uint32_t remaining = total - offset;
        if (progress) progress(blockProgress(remaining, total, flag));
        if (hooks.blockStarts) hooks.blockStarts(i);
        const uint32_t n = std::min(remaining, kBlockSize);
        const auto header = BlockHeaderCmd(base + offset, n);
        if (!step(header.data(), header.size(), timeouts.headerMs, kReplyBlockHeader)) {
            result.failedAt = PassStep::BlockHeader;
            result.failedBlock = i;
            return result;
        }
        const std::vector<uint8_t> data = blockDataFrame(section + offset, n, uint16_t(i));
        if (!step(data.data(), data.size(), timeouts.dataMs, kReplyBlockData)) {
            result.failedAt = PassStep::BlockData;
            result.failedBlock = i;
            return result;
        }
        if (remaining < kBlockSize) break;
    }
    if (!step(EndCmd.data(), EndCmd.size(), timeouts.endMs, kReplyEnd)) {
        result.failedAt = PassStep::End;
        return result;
    }
    result.ok = true;
    return result;
}

const char* passStepName(PassStep step) {
    switch (step) {
    case PassStep::None:
        return "none";
    case PassStep::Enter:
        return "enter";
    case PassStep::Erase:
        return "erase";
    case PassStep::BlockHeader:
        return "block header";
    case PassStep::BlockData:
        return "block data";
    case PassStep::End:
        return "end";
    }
    return "?";
}

} // namespace firmware
