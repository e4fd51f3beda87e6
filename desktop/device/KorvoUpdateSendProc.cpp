#include "KorvoUpdateSendProc.h"

#include "DevicePort.h"
#include "Log.h"
#include "NotificationCenter.h"
#include "package.h"

#include <QVariantMap>

#include <mutex>

const char* const kUpdateDataPro = "UpdateDataPro";
const char* const kProInfoKey = "proInfo";
const char* const kProcessKey = "process";
const char* const kPathKey = "path";
const char* const kStatusKey = "status";

namespace {
// The block index travels as 16 bits, so a section may have at most this many blocks (the last one short).
constexpr uint64_t kMaxBlocks = 65536;

std::mutex g_timingMutex;
KorvoUpdateSendProc::Timing g_timing;

// Keeps background reads off the port for the whole flash.
struct ExclusiveUse {
    ExclusiveUse() { DevicePort::sharedManager().beginExclusive(); }
    ~ExclusiveUse() { DevicePort::sharedManager().endExclusive(); }
};

void logFailure(const QString& path, const std::string& why) {
    syslogline::write("Flash of " + path.toStdString() + " failed: " + why);
}
} // namespace

void KorvoUpdateSendProc::setTiming(const Timing& timing) {
    std::lock_guard<std::mutex> lock(g_timingMutex);
    g_timing = timing;
}

KorvoUpdateSendProc::Timing KorvoUpdateSendProc::timing() {
    std::lock_guard<std::mutex> lock(g_timingMutex);
    return g_timing;
}

void KorvoUpdateSendProc::didPostUpdateData(int32_t status, float pro, const QString& path) {
    QVariantMap info;
    info.insert(kProcessKey, pro);
    if (!path.isNull()) info.insert(kPathKey, path);
    info.insert(kStatusKey, status);
    NotificationCenter::defaultCenter().post(kUpdateDataPro, nullptr, {{kProInfoKey, info}});
}

int KorvoUpdateSendProc::updateFail(const QString& path) {
    didPostUpdateData(kUpdateStatusFailed, 0.0f, path);
    DevicePort::sharedManager().closeSerialPort();
    return -1;
}

int KorvoUpdateSendProc::SendProcPFile(const uint8_t* pFile, const uint8_t* EnterCmd, const uint8_t* EraseCmd,
                                       int32_t iTotal, uint32_t uiAddr, int iFlag, const QString& paht) {
    if (iTotal < 0 || uint64_t(iTotal) / firmware::kBlockSize >= kMaxBlocks) {
        logFailure(paht, "section too large for the block index");
        return updateFail(paht);
    }
    firmware::Frame9 enter, erase;
    std::copy(EnterCmd, EnterCmd + enter.size(), enter.begin());
    std::copy(EraseCmd, EraseCmd + erase.size(), erase.begin());
    DevicePort& port = DevicePort::sharedManager();
    const firmware::Exchange exchange = [&port](const uint8_t* frame, long long length, uint32_t timeoutMs,
                                                uint8_t* reply) {
        return port.mySendData(frame, length, timeoutMs, reply);
    };
    const firmware::PassResult r =
        firmware::runPass(exchange, pFile, uint32_t(iTotal), enter, erase, uiAddr, iFlag, timing().timeouts,
                          [&paht](float p) { didPostUpdateData(kUpdateStatusRunning, p, paht); });
    if (r.ok) return 0;
    std::string why = std::string("no accepted reply to ") + firmware::passStepName(r.failedAt);
    if (r.failedAt == firmware::PassStep::BlockHeader || r.failedAt == firmware::PassStep::BlockData)
        why += " of block " + std::to_string(r.failedBlock);
    logFailure(paht, why);
    return updateFail(paht);
}

int KorvoUpdateSendProc::UpdateProcStrBin(const QString& path, const std::function<void()>& succeeded) {
    didPostUpdateData(kUpdateStatusRunning, 0.0f, path);
    ExclusiveUse exclusive;

    firmware::Bytes bytes;
    if (path.isEmpty() || !firmware::readWholeFile(path.toStdString(), bytes)) {
        logFailure(path, "the file cannot be read");
        return updateFail(path);
    }
    firmware::scramble(bytes);
    const firmware::UpdatePackage pkg = firmware::checkPackage(bytes.data(), bytes.size());
    if (!pkg.ok) {
        logFailure(path, pkg.error);
        return updateFail(path);
    }

    const auto program = firmware::Section::Program;
    const auto data = firmware::Section::Data;
    int first;
    if (pkg.sectionFlags == 1) {
        first = SendProcPFile(bytes.data() + pkg.programOffset, firmware::EnterCmd(program).data(),
                              firmware::EraseCmd(program).data(), int32_t(pkg.programLength), firmware::kProgramBase, 1,
                              path);
    } else if (pkg.sectionFlags == 2) {
        first = SendProcPFile(bytes.data() + pkg.dataOffset, firmware::EnterCmd(data).data(),
                              firmware::EraseCmd(data).data(), int32_t(pkg.dataLength), firmware::kDataBase, 1, path);
    } else {
        first = SendProcPFile(bytes.data() + pkg.programOffset, firmware::EnterCmd(program).data(),
                              firmware::EraseCmd(program).data(), int32_t(pkg.programLength), firmware::kProgramBase, 2,
                              path);
    }
    if (first < 0) return updateFail(path);
    if (pkg.sectionFlags != 3 && succeeded) succeeded();

    // A stop during the pause ends the wait; a second pass then fails at its first step.
    DevicePort::sharedManager().pauseUnlessAborted(timing().pauseAfterPassMs);

    if (pkg.sectionFlags == 3) {
        const int second =
            SendProcPFile(bytes.data() + pkg.dataOffset, firmware::EnterCmd(data).data(),
                          firmware::EraseCmd(data).data(), int32_t(pkg.dataLength), firmware::kDataBase, 3, path);
        if (second < 0) return updateFail(path);
        if (succeeded) succeeded();
    }
    didPostUpdateData(kUpdateStatusDone, 1.0f, path);
    return 0;
}
