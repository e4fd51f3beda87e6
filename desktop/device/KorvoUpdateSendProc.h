// Writes one firmware package into the scan tool over DevicePort, blocking the calling (worker) thread.
// Progress, success and failure are posted as "UpdateDataPro" on the default notification centre, synchronously
// on the calling thread. The port stays open after success and is closed after a failure.
#pragma once

#include "flashpass.h"

#include <QString>

#include <cstdint>
#include <functional>

extern const char* const kUpdateDataPro; // "UpdateDataPro"
extern const char* const kProInfoKey;    // "proInfo"
extern const char* const kProcessKey;    // "process": float 0..1
extern const char* const kPathKey;       // "path": the package file
extern const char* const kStatusKey;     // "status"

enum UpdateStatus : int32_t {
    kUpdateStatusReset = 0, // a refused flash's row goes back to idle (posted by the main view controller)
    kUpdateStatusRunning = 1,
    kUpdateStatusDone = 2,
    kUpdateStatusFailed = -1,
};

class KorvoUpdateSendProc {
public:
    struct Timing {
        firmware::PassTimeouts timeouts;
        int pauseAfterPassMs = 1000; // the tool restarts its flash controller after a pass
    };

    // The whole flash: 0 after success, -1 after failure. succeeded, when given, is called on this thread as soon as
    // the last pass's EndCmd is acknowledged, before the pause: from then on the flash has succeeded, whatever the
    // link does next (a tool that restarts after an update leaves the line).
    static int UpdateProcStrBin(const QString& path, const std::function<void()>& succeeded = {});
    // One pass over a section; 0 after its EndCmd was acknowledged, -1 after a failure already reported.
    static int SendProcPFile(const uint8_t* pFile, const uint8_t* EnterCmd, const uint8_t* EraseCmd, int32_t iTotal,
                             uint32_t uiAddr, int iFlag, const QString& paht);
    // Posts status -1 at 0.0, closes the port, returns -1.
    static int updateFail(const QString& path);
    static void didPostUpdateData(int32_t status, float pro, const QString& path);

    static void setTiming(const Timing& timing);
    static Timing timing();
};
