#include "flashpass.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace firmware;

namespace {
// Records what a pass sends and answers with the code each step expects, or not at all from failAtFrame on.
struct ScriptedTool {
    std::vector<std::vector<uint8_t>> frames;
    std::vector<uint32_t> timeouts;
    int failAtFrame = -1;
    uint8_t failReply = 0;

    Exchange exchange() {
        return [this](const uint8_t* f, long long n, uint32_t timeoutMs, uint8_t* reply) -> long long {
            frames.emplace_back(f, f + n);
            timeouts.push_back(timeoutMs);
            if (int(frames.size()) - 1 == failAtFrame) {
                if (failReply == 0) return -1;
                reply[2] = failReply;
                return 3;
            }
            uint8_t code = kReplyBlockData;
            if (n >= 3 && f[0] == kFrameLead0 && f[1] == kFrameLead1) {
                switch (f[2]) {
                case kCmdEnter:
                    code = kReplyEnter;
                    break;
                case kCmdErase:
                    code = kReplyErase;
                    break;
                case kCmdBlockHeader:
                    code = n == 10 ? kReplyBlockHeader : kReplyBlockData;
                    break;
                case kCmdEnd:
                    code = n == 4 ? kReplyEnd : kReplyBlockData;
                    break;
                }
            }
            reply[0] = kFrameLead0;
            reply[1] = kFrameLead1;
            reply[2] = code;
            return 4;
        };
    }
};
} // namespace

TEST(FlashPass, FullBlocksEndWithAnEmptyBlock) {
    std::vector<uint8_t> section(4096);
    std::iota(section.begin(), section.end(), 0);
    ScriptedTool tool;
    std::vector<float> progress;
    const PassResult r =
        runPass(tool.exchange(), section.data(), 4096, EnterCmd(Section::Program), EraseCmd(Section::Program),
                kProgramBase, 1, PassTimeouts{}, [&](float p) { progress.push_back(p); });
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(progress, (std::vector<float>{0.0f, 0.5f, 1.0f}));
    // enter, erase, 3 x (header, data), end
    ASSERT_EQ(tool.frames.size(), 9u);
    EXPECT_EQ(tool.frames[6], (std::vector<uint8_t>{0xD1, 0xEE, 0xC1, 0x00, 0x50, 0x00, 0x08, 0x06, 0x00, 0xFF}));
    EXPECT_EQ(tool.frames[7], (std::vector<uint8_t>{0, 0, 0, 0, 0, 2}));
    EXPECT_EQ(tool.frames[8], (std::vector<uint8_t>{0xD1, 0xEE, 0xC3, 0xFF}));
    EXPECT_EQ(tool.timeouts, (std::vector<uint32_t>{100, 50000, 100, 5000, 100, 5000, 100, 5000, 100}));
}

TEST(FlashPass, ProgressFlagsAndAnEmptySection) {
    EXPECT_FLOAT_EQ(blockProgress(2048, 4096, 2), 0.25f);
    EXPECT_FLOAT_EQ(blockProgress(4096, 4096, 3), 0.5f);
    EXPECT_FLOAT_EQ(blockProgress(0, 4096, 3), 1.0f);
    EXPECT_EQ(blockProgress(0, 0, 1), 0.0f); // no division by zero

    ScriptedTool tool;
    std::vector<float> progress;
    ASSERT_TRUE(runPass(tool.exchange(), nullptr, 0, EnterCmd(Section::Data), EraseCmd(Section::Data), kDataBase, 1,
                        PassTimeouts{}, [&](float p) { progress.push_back(p); })
                    .ok);
    EXPECT_EQ(progress, std::vector<float>{0.0f});
    EXPECT_EQ(tool.frames.size(), 5u);
}

TEST(FlashPass, NothingFollowsAFailedStep) {
    std::vector<uint8_t> section(5000, 1);
    for (int failAt : {0, 1, 2, 5, 8}) {
        for (uint8_t reply : {uint8_t(0), uint8_t(0xE1), uint8_t(0x7F)}) {
            ScriptedTool tool;
            tool.failAtFrame = failAt;
            tool.failReply = reply;
            const PassResult r = runPass(tool.exchange(), section.data(), 5000, EnterCmd(Section::Program),
                                         EraseCmd(Section::Program), kProgramBase, 1, PassTimeouts{}, nullptr);
            EXPECT_FALSE(r.ok) << failAt;
            EXPECT_EQ(int(tool.frames.size()), failAt + 1) << failAt;
        }
    }
}

TEST(FlashPass, HooksFollowTheStepsInOrder) {
    // A flasher with its own progress shows a status once the tool has entered, and percents by block index.
    std::vector<uint8_t> section(2048 + 10, 7);
    for (int failAt : {-1, 0}) {
        ScriptedTool tool;
        tool.failAtFrame = failAt;
        std::vector<std::string> events;
        const Exchange scripted = tool.exchange();
        const Exchange logged = [&](const uint8_t* f, long long n, uint32_t t, uint8_t* reply) {
            events.push_back(n == 9 || n == 10 || n == 4 ? "cmd " + std::to_string(f[2]) : "data");
            return scripted(f, n, t, reply);
        };
        PassHooks hooks;
        hooks.entered = [&] { events.push_back("entered"); };
        hooks.blockStarts = [&](uint32_t i) { events.push_back("block " + std::to_string(i)); };
        runPass(logged, section.data(), uint32_t(section.size()), EnterCmd(Section::Data), EraseCmd(Section::Data),
                kDataBase, 1, PassTimeouts{}, nullptr, hooks);
        const std::string enter = "cmd " + std::to_string(kCmdEnter), erase = "cmd " + std::to_string(kCmdErase),
                          header = "cmd " + std::to_string(kCmdBlockHeader), end = "cmd " + std::to_string(kCmdEnd);
        if (failAt == 0)
            EXPECT_EQ(events, std::vector<std::string>{enter}); // not entered: no status for an erase
        else
            EXPECT_EQ(events, (std::vector<std::string>{enter, "entered", erase, "block 0", header, "data", "block 1",
                                                        header, "data", end}));
    }
}
