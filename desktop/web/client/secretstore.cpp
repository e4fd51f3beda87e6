#include "secretstore.h"

#include <libsecret/secret.h>

namespace secretstore {

namespace {

const SecretSchema* schema() {
    static const SecretSchema s = {"com.marodatech.KorvoUpdate.GenericPassword",
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
    return &s;
}

QString takeError(GError* error) {
    if (!error) return {};
    QString text = QString::fromUtf8(error->message);
    g_error_free(error);
    return text;
}

class SecretServiceBackend : public Backend {
public:
    bool store(const QString& service, const QString& account, const QString& label, const QString& secret,
               QString* errorText) override {
        GError* error = nullptr;
        const QByteArray s = service.toUtf8(), a = account.toUtf8(), l = label.toUtf8(), v = secret.toUtf8();
        const gboolean ok =
            secret_password_store_sync(schema(), SECRET_COLLECTION_DEFAULT, l.constData(), v.constData(), nullptr,
                                       &error, "service", s.constData(), "account", a.constData(), nullptr);
        const QString text = takeError(error);
        if (errorText) *errorText = text;
        return ok && text.isEmpty();
    }

    Lookup lookup(const QString& service, const QString& account) override {
        GError* error = nullptr;
        const QByteArray s = service.toUtf8(), a = account.toUtf8();
        gchar* value = secret_password_lookup_sync(schema(), nullptr, &error, "service", s.constData(), "account",
                                                   a.constData(), nullptr);
        Lookup result;
        result.error = takeError(error);
        result.ok = result.error.isEmpty();
        if (value) {
            result.secret = QString::fromUtf8(value);
            secret_password_free(value);
        }
        return result;
    }

    bool clear(const QString& service, const QString& account, QString* errorText) override {
        GError* error = nullptr;
        const QByteArray s = service.toUtf8(), a = account.toUtf8();
        secret_password_clear_sync(schema(), nullptr, &error, "service", s.constData(), "account", a.constData(),
                                   nullptr);
        const QString text = takeError(error);
        if (errorText) *errorText = text;
        return text.isEmpty();
    }
};

} // namespace

Backend& secretServiceBackend() {
    static SecretServiceBackend backend;
    return backend;
}

} // namespace secretstore
