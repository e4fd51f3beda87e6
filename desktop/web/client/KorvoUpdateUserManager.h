// The web account's data on this computer: the last account name and the remember-password flag in the user
// defaults, the reply of the last log-in (Documents/userInfo.data) and the account sign-up records
// (Documents/registeInfo.data), both archives of ours written through a temporary file with mode 0600.
// A sign-up record's password goes to the secret store (identifier: its login_name), never into the file.
// No state of its own; callers write from one thread at a time. saveUserRegInfo touches the secret store and so
// blocks on the session bus: call it from a worker thread.
#pragma once

#include "KorvoUpdateLoginResultModel.h"
#include "KorvoUpdateUserRegisteInfoModel.h"

#include <memory>
#include <optional>
#include <vector>

inline const char* const kKorvoUpdateUserAccountNameKey = "KorvoUpdateUserAccountName";
inline const char* const kKorvoUpdateRememberUserPasswordKey = "KorvoUpdateRememberUserPassword";
inline const char* const kKorvoUpdateUserInfoFile = "userInfo.data";
inline const char* const kKorvoUpdateRegisteInfoFile = "registeInfo.data";

using KorvoUpdateUserRegisteInfos = std::vector<std::shared_ptr<KorvoUpdateUserRegisteInfoModel>>;

class KorvoUpdateUserManager {
public:
    static KorvoUpdateUserManager& sharedManager();

    // Saves a non-empty name; an empty or null one changes nothing.
    void saveAccountName(const QString& name);
    // The saved name, or "(null)" when none was saved.
    QString getAccountName() const;
    // Whether the remember-password flag holds the integer 1.
    bool autoLogin() const;

    bool saveUserInfo(const KorvoUpdateLoginResultModel& info);
    // The saved log-in reply; null when the file is missing, unreadable or holds something else.
    std::shared_ptr<KorvoUpdateLoginResultModel> getUserInfo() const;

    // Replaces every record of the same login_name (exact) in place, or appends; the password goes to the secret
    // store. A damaged file (a record of another class or with a bad byte, a file cut short) keeps every record that
    // reads, before and after the damage, and is moved aside as "registeInfo.data.damaged-<UTC time>" before the new
    // list is written; no such copy is overwritten.
    // False when the password or the file could not be saved, or the file exists but cannot be read or moved aside
    // (it is then left alone rather than replaced by a list that lost its records).
    bool saveUserRegInfo(const KorvoUpdateUserRegisteInfoModel& info);
    // The saved records (their pwd null), those that can be read of a damaged file; nothing when the file is missing
    // or no record of it can be read.
    std::optional<KorvoUpdateUserRegisteInfos> getUserRegInfos() const;

    static QString documentPath(const char* fileName);

private:
    KorvoUpdateUserManager() = default;
};

// Writes bytes to path with safefile::ReplaceFile, mode 0600 whatever the file had before.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);
