// The account store: user-defaults keys, the log-in archive, the sign-up records and their passwords.
#include "KorvoUpdateKeychainManager.h"
#include "KorvoUpdateUserManager.h"
#include "Log.h"
#include "UserDefaults.h"
#include "fakesecretstore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

using json = nlohmann::ordered_json;

namespace {

class AccountStore : public ::testing::Test {
protected:
    void SetUp() override {
        QFile::remove(KorvoUpdateUserManager::documentPath(kKorvoUpdateUserInfoFile));
        QDir(KorvoUpdateUserManager::documentPath(kKorvoUpdateRegisteInfoFile)).removeRecursively();
        QFile::remove(KorvoUpdateUserManager::documentPath(kKorvoUpdateRegisteInfoFile));
        for (const QString& copy : damagedCopies())
            QFile::remove(copy);
        KorvoUpdateKeychainManager::sharedManager().setBackend(&secrets);
        previousSink = syslogline::setSink([this](const std::string& line) { log.push_back(line); });
    }
    void TearDown() override {
        KorvoUpdateKeychainManager::sharedManager().setBackend(nullptr);
        syslogline::setSink(previousSink);
    }
    static std::shared_ptr<KorvoUpdateUserRegisteInfoModel> record(const char* name, const char* email,
                                                                   const char* pwd = nullptr) {
        auto r = std::make_shared<KorvoUpdateUserRegisteInfoModel>();
        r->login_name = name;
        r->email = email;
        if (pwd) r->pwd = pwd;
        return r;
    }
    // The damaged sign-up files moved aside, oldest first.
    static QStringList damagedCopies() {
        const QDir documents = QFileInfo(KorvoUpdateUserManager::documentPath(kKorvoUpdateRegisteInfoFile)).dir();
        QStringList copies;
        for (const QFileInfo& info :
             documents.entryInfoList({"registeInfo.data.damaged-*"}, QDir::Files, QDir::Time | QDir::Reversed))
            copies << info.absoluteFilePath();
        return copies;
    }
    static QByteArray contents(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QStringList names() {
        QStringList list;
        for (const auto& r :
             KorvoUpdateUserManager::sharedManager().getUserRegInfos().value_or(KorvoUpdateUserRegisteInfos{}))
            list << r->login_name + ":" + r->email;
        return list;
    }
    KorvoUpdateUserManager& users = KorvoUpdateUserManager::sharedManager();
    FakeSecretStore secrets;
    std::vector<std::string> log;
    syslogline::Sink previousSink;
};

} // namespace

TEST_F(AccountStore, AccountNameAndRememberFlag) {
    auto& defaults = UserDefaults::standardUserDefaults();
    defaults.removeObjectForKey(kKorvoUpdateUserAccountNameKey);
    EXPECT_EQ(users.getAccountName(), "(null)");
    users.saveAccountName("ann");
    users.saveAccountName("");
    users.saveAccountName(QString());
    EXPECT_EQ(users.getAccountName(), "ann");
    EXPECT_EQ(defaults.stringForKey(kKorvoUpdateUserAccountNameKey), "ann");

    defaults.removeObjectForKey(kKorvoUpdateRememberUserPasswordKey);
    EXPECT_FALSE(users.autoLogin());
    defaults.setObject(QStringLiteral("1"), kKorvoUpdateRememberUserPasswordKey);
    EXPECT_TRUE(users.autoLogin());
    defaults.setObject(2, kKorvoUpdateRememberUserPasswordKey);
    EXPECT_FALSE(users.autoLogin());
    defaults.setObject(1, kKorvoUpdateRememberUserPasswordKey);
    EXPECT_TRUE(users.autoLogin());
}

TEST_F(AccountStore, LogInReplyIsKeptPrivatelyAndOnlyAsItsClass) {
    const QString path = KorvoUpdateUserManager::documentPath(kKorvoUpdateUserInfoFile);
    EXPECT_FALSE(users.getUserInfo());
    KorvoUpdateLoginResultModel login;
    login.msgCode = 1;
    login.userReName = "ann";
    login.right = true;
    ASSERT_TRUE(users.saveUserInfo(login));
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(QDir(QFileInfo(path).path()).entryList({"userInfo.data.*"}, QDir::Files).size(), 0)
        << "no temporary file is left behind";
    auto back = users.getUserInfo();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->userReName, "ann");
    EXPECT_TRUE(back->isRight());

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(modelcoding::archivedData(modelcoding::encodeText("ann")));
    file.close();
    EXPECT_FALSE(users.getUserInfo()) << "an archive of another class";
}

TEST_F(AccountStore, SignUpRecordsAreUpsertedInPlaceWithTheirPasswordsInTheSecretStore) {
    ASSERT_TRUE(users.saveUserRegInfo(*record("ann", "a1", "pw-ann")));
    ASSERT_TRUE(users.saveUserRegInfo(*record("bob", "b1")));
    ASSERT_TRUE(users.saveUserRegInfo(*record("Ann", "A1")));
    ASSERT_TRUE(users.saveUserRegInfo(*record("ann", "a2", "pw-ann-2")));
    EXPECT_EQ(names(), (QStringList{"ann:a2", "bob:b1", "Ann:A1"}));

    const QByteArray file = [] {
        QFile f(KorvoUpdateUserManager::documentPath(kKorvoUpdateRegisteInfoFile));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    EXPECT_FALSE(file.contains("pw-ann")) << "no password in the file";
    EXPECT_EQ(KorvoUpdateKeychainManager::sharedManager().readDataFromKeyChain("ann").value_or(""), "pw-ann-2");
    const auto stored = users.getUserRegInfos();
    ASSERT_TRUE(stored);
    for (const auto& r : *stored)
        EXPECT_TRUE(r->pwd.isNull());

    // A password that the secret store refuses: nothing changes.
    secrets.failStore = true;
    EXPECT_FALSE(users.saveUserRegInfo(*record("carl", "c1", "pw")));
    EXPECT_EQ(names(), (QStringList{"ann:a2", "bob:b1", "Ann:A1"}));
}

TEST_F(AccountStore, AnUnreadableFileIsLeftAloneADamagedOneMovedAside) {
    const QString path = KorvoUpdateUserManager::documentPath(kKorvoUpdateRegisteInfoFile);
    // A folder in the file's place cannot be read, even by root (for whom permissions do not count).
    ASSERT_TRUE(QDir().mkpath(path + "/keep"));
    EXPECT_FALSE(users.getUserRegInfos());
    EXPECT_FALSE(users.saveUserRegInfo(*record("ann", "a1")));
    EXPECT_TRUE(QDir(path + "/keep").exists());
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.back().find("cannot be read"), std::string::npos);
    QDir(path).removeRecursively();

    const QByteArray damaged = "{\"class\": \"array\", \"items\": [{\"class\": \"Other\"";
    write(path, damaged);
    EXPECT_FALSE(users.getUserRegInfos());
    // Copies of earlier damage under the names this second and the next would give: neither is overwritten.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QStringList earlier = {path + ".damaged-" + now.toString("yyyyMMdd'T'HHmmss'Z'"),
                                 path + ".damaged-" + now.addSecs(1).toString("yyyyMMdd'T'HHmmss'Z'")};
    for (const QString& copy : earlier)
        write(copy, copy.toUtf8());
    ASSERT_TRUE(users.saveUserRegInfo(*record("ann", "a1")));
    EXPECT_EQ(names(), QStringList{"ann:a1"});
    EXPECT_NE(log.back().find("damaged"), std::string::npos);
    for (const QString& copy : earlier)
        EXPECT_EQ(contents(copy), copy.toUtf8());
    QStringList copies = damagedCopies();
    ASSERT_EQ(copies.size(), 3);
    for (const QString& copy : earlier)
        copies.removeOne(copy);
    EXPECT_EQ(contents(copies.value(0)), damaged);
    EXPECT_NE(log.back().find(copies.value(0).toStdString()), std::string::npos);
}

TEST_F(AccountStore, TheReadableRecordsOfADamagedFileAreKept) {
    const QString path = KorvoUpdateUserManager::documentPath(kKorvoUpdateRegisteInfoFile);
    for (const char* name : {"ann", "bob", "carl"})
        ASSERT_TRUE(users.saveUserRegInfo(*record(name, "1")));
    const QByteArray whole = contents(path);

    // One record of another class among readable ones.
    json archive = json::parse(whole.toStdString());
    archive["items"][1]["class"] = "Other";
    const QByteArray oneUnreadable = QByteArray::fromStdString(archive.dump());
    write(path, oneUnreadable);
    EXPECT_EQ(names(), (QStringList{"ann:1", "carl:1"}));
    ASSERT_TRUE(users.saveUserRegInfo(*record("dave", "1")));
    EXPECT_EQ(names(), (QStringList{"ann:1", "carl:1", "dave:1"}));

    // A file cut short inside its third record, as a full disk or a crash leaves it.
    const QByteArray cut = whole.left(whole.indexOf("carl") + 2);
    write(path, cut);
    EXPECT_EQ(names(), (QStringList{"ann:1", "bob:1"}));
    ASSERT_TRUE(users.saveUserRegInfo(*record("erin", "1")));
    EXPECT_EQ(names(), (QStringList{"ann:1", "bob:1", "erin:1"}));

    // Each damaged file is kept as it was, the second beside the first, not over it.
    const QStringList copies = damagedCopies();
    ASSERT_EQ(copies.size(), 2);
    QList<QByteArray> kept = {contents(copies[0]), contents(copies[1])};
    std::sort(kept.begin(), kept.end());
    QList<QByteArray> expected = {oneUnreadable, cut};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(kept, expected);

    // One bad byte (no UTF-8, or a NUL) inside one record of five costs that record alone.
    for (const char bad : {'\xff', '\0'}) {
        QFile::remove(path);
        for (const char* name : {"ann", "bob", "carl", "dave", "erin"})
            ASSERT_TRUE(users.saveUserRegInfo(*record(name, "1")));
        QByteArray bytes = contents(path);
        bytes[bytes.indexOf("carl") + 1] = bad;
        write(path, bytes);
        EXPECT_EQ(names(), (QStringList{"ann:1", "bob:1", "dave:1", "erin:1"}));
        ASSERT_TRUE(users.saveUserRegInfo(*record("fay", "1")));
        EXPECT_EQ(names(), (QStringList{"ann:1", "bob:1", "dave:1", "erin:1", "fay:1"}));
        EXPECT_NE(log.back().find("the 4 readable ones are kept"), std::string::npos) << log.back();
    }
}

// The files are ours but lie in the user's Documents: a password written into one is neither read nor kept, and a
// file far larger than any of ours is not read into memory (nor replaced).
TEST_F(AccountStore, APasswordInTheFileIsNotTakenAndAHugeFileNotRead) {
    const QString path = KorvoUpdateUserManager::documentPath(kKorvoUpdateRegisteInfoFile);
    const auto write = [&](const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    };
    write(R"({"class": "array", "items": [{"class": "KorvoUpdateUserRegisteInfoModel",
              "properties": {"login_name": "eve", "email": "e1", "pwd": "pw-eve"}}]})");
    const auto stored = users.getUserRegInfos();
    ASSERT_TRUE(stored && stored->size() == 1);
    EXPECT_EQ(stored->at(0)->login_name, "eve");
    EXPECT_TRUE(stored->at(0)->pwd.isNull());
    ASSERT_TRUE(users.saveUserRegInfo(*record("ann", "a1")));
    EXPECT_EQ(names(), (QStringList{"eve:e1", "ann:a1"}));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_FALSE(saved.readAll().contains("pw-eve"));
    saved.close();

    write(QByteArray(5 * 1024 * 1024, ' '));
    EXPECT_FALSE(users.getUserRegInfos());
    EXPECT_FALSE(users.saveUserRegInfo(*record("ann", "a2")));
    EXPECT_EQ(QFileInfo(path).size(), 5 * 1024 * 1024) << "left as it is";
    EXPECT_NE(log.back().find("larger than"), std::string::npos);
}

TEST_F(AccountStore, KeychainSaveReplacesInOneCall) {
    auto& keychain = KorvoUpdateKeychainManager::sharedManager();
    ASSERT_TRUE(keychain.saveDataForKeyChain("old", "ann"));
    secrets.calls.clear();
    secrets.failStore = true;
    EXPECT_FALSE(keychain.saveDataForKeyChain("new", "ann"));
    EXPECT_EQ(secrets.calls, std::vector<std::string>{"store"}) << "no delete before the store";
    secrets.failStore = false;
    EXPECT_EQ(keychain.readDataFromKeyChain("ann").value_or(""), "old");
    const QVariantMap query = keychain.keyChainIdentifier("ann");
    EXPECT_EQ(query.value("service"), "ann");
    EXPECT_EQ(query.value("account"), "ann");
}
