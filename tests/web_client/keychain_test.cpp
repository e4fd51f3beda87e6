// The keychain against a real keyring daemon in a private D-Bus session (see run-with-keyring.sh).
// libsecret first: Qt's "signals" macro would break its headers.
#include <libsecret/secret.h>

#include "KorvoUpdateKeychainManager.h"
#include "fakesecretstore.h"

#include <gtest/gtest.h>

namespace {

// How many items of ours the keyring holds for identifier.
int itemCount(const QString& identifier) {
    static const SecretSchema schema = {"com.marodatech.KorvoUpdate.GenericPassword",
                                        SECRET_SCHEMA_NONE,
                                        {{"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                        0,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr};
    GError* error = nullptr;
    const QByteArray id = identifier.toUtf8();
    GList* items = secret_password_search_sync(&schema, SECRET_SEARCH_ALL, nullptr, &error, "service", id.constData(),
                                               "account", id.constData(), nullptr);
    if (error) {
        ADD_FAILURE() << error->message;
        g_error_free(error);
        return -1;
    }
    const int count = static_cast<int>(g_list_length(items));
    g_list_free_full(items, g_object_unref);
    return count;
}

} // namespace

TEST(Keychain, StoreReplaceReadDelete) {
    auto& keychain = KorvoUpdateKeychainManager::sharedManager();
    EXPECT_FALSE(keychain.readDataFromKeyChain("ann"));
    EXPECT_FALSE(keychain.keyChainUpdate("x", "ann")) << "no item to update";
    EXPECT_EQ(itemCount("ann"), 0) << "an update adds nothing";

    ASSERT_TRUE(keychain.saveDataForKeyChain("first & 100%", "ann"));
    ASSERT_TRUE(keychain.saveDataForKeyChain("second", "ann"));
    EXPECT_EQ(itemCount("ann"), 1);
    EXPECT_EQ(keychain.readDataFromKeyChain("ann").value_or(""), "second");

    ASSERT_TRUE(keychain.saveDataForKeyChain("bob's", "bob"));
    ASSERT_TRUE(keychain.keyChainUpdate("third", "ann"));
    EXPECT_EQ(keychain.readDataFromKeyChain("ann").value_or(""), "third");
    EXPECT_EQ(keychain.readDataFromKeyChain("bob").value_or(""), "bob's");

    keychain.deleteFromKeyChain("ann");
    EXPECT_FALSE(keychain.readDataFromKeyChain("ann"));
    EXPECT_EQ(keychain.readDataFromKeyChain("bob").value_or(""), "bob's");
    keychain.deleteFromKeyChain("bob");
}

TEST(Keychain, AFailedReplaceKeepsTheOldSecret) {
    auto& keychain = KorvoUpdateKeychainManager::sharedManager();
    FakeSecretStore failing(&secretstore::secretServiceBackend());
    ASSERT_TRUE(keychain.saveDataForKeyChain("old", "carl"));
    keychain.setBackend(&failing);
    failing.failStore = true;
    EXPECT_FALSE(keychain.saveDataForKeyChain("new", "carl"));
    keychain.setBackend(nullptr);
    EXPECT_EQ(keychain.readDataFromKeyChain("carl").value_or(""), "old");
    EXPECT_EQ(itemCount("carl"), 1);
    keychain.deleteFromKeyChain("carl");
}

// libsecret keeps a small closure of each item object its search made (not ours to free); glib lacks frame
// pointers, so only the slow unwinder sees that far.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:secret_item_new_for_dbus_path\n";
}
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}
