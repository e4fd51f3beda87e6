// An account profile form; the keys are the property names.
#pragma once

#include "modelcoding.h"

struct KorvoUpdateUserProfileModel : modelcoding::ModelDefaults {
    static constexpr const char* className = "KorvoUpdateUserProfileModel";

    QString first_name, middle_name, last_name, login_name, login_pwd, nick_name, telphone, address, address_two, city,
        country, state, zip;
    bool is_receive_email = false;
    bool is_notified_update = false;
    bool is_receive_catalog = false;

    template <class V> void mj_properties(V& v) {
        v("first_name", first_name);
        v("middle_name", middle_name);
        v("last_name", last_name);
        v("login_name", login_name);
        v("login_pwd", login_pwd);
        v("nick_name", nick_name);
        v("telphone", telphone);
        v("address", address);
        v("address_two", address_two);
        v("city", city);
        v("country", country);
        v("state", state);
        v("zip", zip);
        v("is_receive_email", is_receive_email);
        v("is_notified_update", is_notified_update);
        v("is_receive_catalog", is_receive_catalog);
    }
};
