// A secret store in memory, or in front of another one, that can be told to fail: for the faults the real
// service cannot be made to show on demand. It records the calls it was given.
#pragma once

#include "secretstore.h"

#include <map>
#include <string>
#include <vector>

class FakeSecretStore : public secretstore::Backend {
public:
    explicit FakeSecretStore(secretstore::Backend* real = nullptr) : m_real(real) {}
    bool failStore = false;
    std::vector<std::string> calls;
    std::map<std::pair<QString, QString>, QString> items;

    bool store(const QString& service, const QString& account, const QString& label, const QString& secret,
               QString* error) override {
        calls.push_back("store");
        if (failStore) {
            if (error) *error = QStringLiteral("the keyring refused the item");
            return false;
        }
        if (m_real) return m_real->store(service, account, label, secret, error);
        items[{service, account}] = secret;
        return true;
    }
    secretstore::Lookup lookup(const QString& service, const QString& account) override {
        calls.push_back("lookup");
        if (m_real) return m_real->lookup(service, account);
        secretstore::Lookup found;
        found.ok = true;
        const auto it = items.find({service, account});
        if (it != items.end()) found.secret = it->second;
        return found;
    }
    bool clear(const QString& service, const QString& account, QString* error) override {
        calls.push_back("clear");
        if (m_real) return m_real->clear(service, account, error);
        items.erase({service, account});
        return true;
    }

private:
    secretstore::Backend* m_real;
};
