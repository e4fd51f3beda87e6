#include "KorvoUpdateUserManager.h"

#include "Documents.h"
#include "KorvoUpdateKeychainManager.h"
#include "Log.h"
#include "UserDefaults.h"
#include "safefile.h"

#include <QDir>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

enum class FileRead { Read, Missing, Unreadable };

// The account files hold one log-in reply and a few sign-up records; a larger file is not ours and is not read into
// memory.
constexpr qint64 kMaxAccountFileBytes = 4 * 1024 * 1024;

FileRead readFile(const QString& path, QByteArray& bytes, QString& why) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return FileRead::Missing;
        why = QString::fromLocal8Bit(std::strerror(errno));
        return FileRead::Unreadable;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            why = QString::fromLocal8Bit(std::strerror(errno));
            ::close(fd);
            return FileRead::Unreadable;
        }
        bytes.append(buffer, static_cast<int>(n));
        if (bytes.size() > kMaxAccountFileBytes) {
            why = QStringLiteral("larger than %1 bytes").arg(kMaxAccountFileBytes);
            ::close(fd);
            return FileRead::Unreadable;
        }
    }
    ::close(fd);
    return FileRead::Read;
}

using SalvagedRegInfos = modelcoding::SalvagedArray<KorvoUpdateUserRegisteInfoModel>;

// The sign-up records of an archive, as many as can be read. The file never holds a password; one found there is
// not taken.
std::optional<SalvagedRegInfos> regInfosOf(const QByteArray& bytes) {
    auto salvaged = modelcoding::salvageArray<KorvoUpdateUserRegisteInfoModel>(bytes);
    if (salvaged)
        for (auto& record : salvaged->models)
            record->pwd = QString();
    return salvaged;
}

} // namespace

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    constexpr int kPrivateMode = 0600; // the account files hold the user's log-in: for the user alone
    std::string why;
    if (safefile::ReplaceFile(QFile::encodeName(path).toStdString(), bytes.constData(), size_t(bytes.size()), &why,
                              kPrivateMode))
        return true;
    if (error) *error = QString::fromLocal8Bit(why.c_str());
    return false;
}

KorvoUpdateUserManager& KorvoUpdateUserManager::sharedManager() {
    static KorvoUpdateUserManager manager;
    return manager;
}

QString KorvoUpdateUserManager::documentPath(const char* fileName) {
    return QDir(platform::documentsDirectory()).filePath(QString::fromLatin1(fileName));
}

void KorvoUpdateUserManager::saveAccountName(const QString& name) {
    if (name.isEmpty()) return;
    auto& defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(name, kKorvoUpdateUserAccountNameKey);
    defaults.synchronize();
}

QString KorvoUpdateUserManager::getAccountName() const {
    const QVariant value = UserDefaults::standardUserDefaults().objectForKey(kKorvoUpdateUserAccountNameKey);
    return value.isValid() ? value.toString() : QStringLiteral("(null)");
}

bool KorvoUpdateUserManager::autoLogin() const {
    bool ok = false;
    const long long value =
        UserDefaults::standardUserDefaults().objectForKey(kKorvoUpdateRememberUserPasswordKey).toLongLong(&ok);
    return ok && value == 1;
}

bool KorvoUpdateUserManager::saveUserInfo(const KorvoUpdateLoginResultModel& info) {
    QString error;
    if (writeFileAtomically(documentPath(kKorvoUpdateUserInfoFile),
                            modelcoding::archivedData(modelcoding::mj_encode(info)), &error))
        return true;
    syslogline::write(("The log-in could not be saved to " + documentPath(kKorvoUpdateUserInfoFile) + " (" + error +
                       "); check that the Documents folder is writable.")
                          .toStdString());
    return false;
}

std::shared_ptr<KorvoUpdateLoginResultModel> KorvoUpdateUserManager::getUserInfo() const {
    QByteArray bytes;
    QString why;
    if (readFile(documentPath(kKorvoUpdateUserInfoFile), bytes, why) != FileRead::Read) return nullptr;
    return modelcoding::mj_decode<KorvoUpdateLoginResultModel>(modelcoding::readArchive(bytes));
}

std::optional<KorvoUpdateUserRegisteInfos> KorvoUpdateUserManager::getUserRegInfos() const {
    QByteArray bytes;
    QString why;
    if (readFile(documentPath(kKorvoUpdateRegisteInfoFile), bytes, why) != FileRead::Read) return std::nullopt;
    const auto salvaged = regInfosOf(bytes);
    if (!salvaged || (salvaged->damaged && salvaged->models.empty())) return std::nullopt;
    return salvaged->models;
}

bool KorvoUpdateUserManager::saveUserRegInfo(const KorvoUpdateUserRegisteInfoModel& info) {
    const QString path = documentPath(kKorvoUpdateRegisteInfoFile);
    QByteArray bytes;
    QString why;
    KorvoUpdateUserRegisteInfos records;
    bool damaged = false;
    switch (readFile(path, bytes, why)) {
    case FileRead::Unreadable:
        syslogline::write(("The sign-up records in " + path + " cannot be read (" + why +
                           "); they are left as they are and the new record is not saved. Check the file's "
                           "owner and permissions.")
                              .toStdString());
        return false;
    case FileRead::Missing:
        break;
    case FileRead::Read:
        if (auto stored = regInfosOf(bytes)) {
            records = std::move(stored->models);
            damaged = stored->damaged;
        } else {
            damaged = true;
        }
        break;
    }

    if (!info.pwd.isEmpty() &&
        !KorvoUpdateKeychainManager::sharedManager().saveDataForKeyChain(info.pwd, info.login_name))
        return false;
    if (damaged) {
        std::string error;
        const QString aside =
            QFile::decodeName(safefile::MoveAsideDamaged(QFile::encodeName(path).toStdString(), &error).c_str());
        why = QString::fromLocal8Bit(error.c_str());
        if (aside.isEmpty()) {
            syslogline::write(("The sign-up records in " + path + " are damaged and cannot be moved aside (" + why +
                               "); the file is left as it is and the new record is not saved. Check that the "
                               "Documents folder is writable.")
                                  .toStdString());
            return false;
        }
        syslogline::write(("The sign-up records in " + path + " were damaged; the " + QString::number(records.size()) +
                           " readable ones are kept, and the damaged file is kept as " + aside + ".")
                              .toStdString());
    }
    auto record = std::make_shared<KorvoUpdateUserRegisteInfoModel>(info);
    record->pwd = QString();

    bool replaced = false;
    for (auto& stored : records) {
        if (stored->login_name == info.login_name) {
            stored = record;
            replaced = true;
        }
    }
    if (!replaced) records.push_back(record);

    QString error;
    if (writeFileAtomically(path, modelcoding::archivedData(modelcoding::encodeArray(records)), &error)) return true;
    syslogline::write(("The sign-up records could not be saved to " + path + " (" + error +
                       "); check that the Documents folder is writable.")
                          .toStdString());
    return false;
}
