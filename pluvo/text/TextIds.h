// The ids of the texts pluvo's screens show, kept as 6-byte constants; MakeTextId turns one into the CBinary the
// text functions take. Every id here has a text in every shipped language (the build's tests check it).
#pragma once

#include "Binary.h"

#include <cstdint>

struct TextId {
    uint8_t bytes[6];
};

inline CBinary MakeTextId(const TextId& id) {
    return CBinary(id.bytes, sizeof id.bytes);
}

namespace textid {

constexpr TextId Std(uint8_t n) {
    return TextId{{0xFF, 0x00, 0x00, 0x00, 0x00, n}};
}
// Our own ids, in a range of their own: texts of the DTC, manual and print pages.
constexpr TextId Own(uint8_t n) {
    return TextId{{0xFF, 0x00, 0x00, 0x00, 0x01, n}};
}

constexpr TextId kDialogTitle = Std(0x00);
constexpr TextId kNavUpdate = Std(0x01);
constexpr TextId kNavDtc = Std(0x02);
constexpr TextId kNavManual = Std(0x03);
constexpr TextId kNavSettings = Std(0x04);
constexpr TextId kColumnVersion = Std(0x07);
constexpr TextId kColumnDate = Std(0x09);
constexpr TextId kColumnSize = Std(0x0A);
constexpr TextId kNavPrint = Std(0x10);
constexpr TextId kCopyright = Std(0x13);
constexpr TextId kDeviceNotIdentified = Std(0x16); // follows kDevicePresent directly
constexpr TextId kColumnProgress = Std(0x18);
constexpr TextId kSkinBlack = Std(0x1B);
constexpr TextId kSkinPink = Std(0x1C);
constexpr TextId kSkinAsus = Std(0x1D);
constexpr TextId kSkinBlue = Std(0x1E);
constexpr TextId kSkinITune = Std(0x1F);
constexpr TextId kSkinWood = Std(0x20);
constexpr TextId kSkinMsn = Std(0x21);
constexpr TextId kSkinYellow = Std(0x22);
constexpr TextId kSkinSilver = Std(0x23);
constexpr TextId kTitleUpdate = Std(0x2B);
constexpr TextId kTitleDtc = Std(0x2C);
constexpr TextId kTitleManual = Std(0x2D);
constexpr TextId kTitleSettings = Std(0x2E); // also the support page's
constexpr TextId kLanguageChangePending = Std(0x39);
constexpr TextId kDeviceAbsent = Std(0x3A);
constexpr TextId kApply = Std(0x3B);
constexpr TextId kDevicePresent = Std(0x3E);
constexpr TextId kFileUnreadable = Std(0x3F);
constexpr TextId kUpdateSucceeded = Std(0x40);
constexpr TextId kPortNotOpened = Std(0x42);
constexpr TextId kDeviceNoAnswer = Std(0x43);
constexpr TextId kErasing = Std(0x44);
constexpr TextId kWriting = Std(0x45);
constexpr TextId kTitlePackages = Std(0x4A);
constexpr TextId kNoPackages = Std(0x4F);
constexpr TextId kConfirmUpdate = Std(0x50);
constexpr TextId kConfirmCloseWhileBusy = Std(0x51);
constexpr TextId kLanguageAfterUpdate = Std(0x52);
constexpr TextId kInvalidPackage = Std(0x53);
constexpr TextId kNavPictureTool = Std(0x54);
constexpr TextId kNavSupport = Std(0x56);
constexpr TextId kDtcFound = Own(0x01); // "%s %d" with the line number
constexpr TextId kDtcNotFound = Own(0x02);
constexpr TextId kManualOpenError = Own(0x03); // "%s : %d" with the error number
constexpr TextId kManualHint = Own(0x04);
constexpr TextId kPrintButton = Own(0x05);
constexpr TextId kClearButton = Own(0x06);
constexpr TextId kCopyButton = Own(0x07);
constexpr TextId kColumnCode = Own(0x08);
constexpr TextId kColumnDescription = Own(0x09);
constexpr TextId kPortNoPermission = Own(0x0A); // the tool's port refused: what to do
constexpr TextId kPortInUse = Own(0x0B);        // the tool's port held by another program
constexpr TextId kPortCannotOpen = Own(0x0C);   // any other reason; the system's error number follows
constexpr TextId kUpdateAlreadyRunning = Own(0x0D);
constexpr TextId kPictureToolMissing = Own(0x0E); // its path follows
constexpr TextId kRestartFailed = Own(0x0F);
constexpr TextId kConfigNotSaved = Own(0x10); // under kWriteError
constexpr TextId kManualProgramFailed = Own(0x11);
constexpr TextId kWriteError = Own(0x12); // the heading of the box of a failed write of pluvo.cfg

constexpr TextId kAll[] = {
    kDialogTitle,
    kNavUpdate,
    kNavDtc,
    kNavManual,
    kNavSettings,
    kColumnVersion,
    kColumnDate,
    kColumnSize,
    kNavPrint,
    kCopyright,
    kDeviceNotIdentified,
    kColumnProgress,
    kSkinBlack,
    kSkinPink,
    kSkinAsus,
    kSkinBlue,
    kSkinITune,
    kSkinWood,
    kSkinMsn,
    kSkinYellow,
    kSkinSilver,
    kTitleUpdate,
    kTitleDtc,
    kTitleManual,
    kTitleSettings,
    kLanguageChangePending,
    kDeviceAbsent,
    kApply,
    kDevicePresent,
    kFileUnreadable,
    kUpdateSucceeded,
    kPortNotOpened,
    kDeviceNoAnswer,
    kErasing,
    kWriting,
    kTitlePackages,
    kNoPackages,
    kConfirmUpdate,
    kConfirmCloseWhileBusy,
    kLanguageAfterUpdate,
    kInvalidPackage,
    kNavPictureTool,
    kNavSupport,
    kDtcFound,
    kDtcNotFound,
    kManualOpenError,
    kManualHint,
    kPrintButton,
    kClearButton,
    kCopyButton,
    kColumnCode,
    kColumnDescription,
    kPortNoPermission,
    kPortInUse,
    kPortCannotOpen,
    kUpdateAlreadyRunning,
    kPictureToolMissing,
    kRestartFailed,
    kConfigNotSaved,
    kManualProgramFailed,
    kWriteError,
};

} // namespace textid
