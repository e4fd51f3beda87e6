// One account sign-up record, kept by the account store; the keys are the property names. Archivable. The
// account store keeps its pwd in the secret store, never in the archive.
#pragma once

#include "modelcoding.h"

struct KorvoUpdateUserRegisteInfoModel : modelcoding::ModelDefaults {
    static constexpr const char* className = "KorvoUpdateUserRegisteInfoModel";
    static bool supportsSecureCoding() { return true; }
    modelcoding::json encodeWithCoder() const { return modelcoding::mj_encode(*this); }
    static std::shared_ptr<KorvoUpdateUserRegisteInfoModel> initWithCoder(const modelcoding::json& archive) {
        return modelcoding::mj_decode<KorvoUpdateUserRegisteInfoModel>(archive);
    }

    QString login_name, pwd, email, first_name, middle_name, last_name, nick_name, address, address_two, city, state,
        country, telphone, zip, reg_ip, is_receive_email, is_notified_update, is_receive_catalog;

    template <class V> void mj_properties(V& v) {
        v("login_name", login_name);
        v("pwd", pwd);
        v("email", email);
        v("first_name", first_name);
        v("middle_name", middle_name);
        v("last_name", last_name);
        v("nick_name", nick_name);
        v("address", address);
        v("address_two", address_two);
        v("city", city);
        v("state", state);
        v("country", country);
        v("telphone", telphone);
        v("zip", zip);
        v("reg_ip", reg_ip);
        v("is_receive_email", is_receive_email);
        v("is_notified_update", is_notified_update);
        v("is_receive_catalog", is_receive_catalog);
    }
};
