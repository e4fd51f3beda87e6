// The account details: a result code (no message) and one object of user data.
#pragma once

#include "modelcoding.h"

struct KorvoUpdateUserInfoModel : modelcoding::ModelDefaults {
    static constexpr const char* className = "KorvoUpdateUserInfoModel";

    QString first, middle, last, address, email, address_two, country, state, city, zip, telephone, user_name;
    bool update = false;

    template <class V> void mj_properties(V& v) {
        v("first", first);
        v("middle", middle);
        v("last", last);
        v("address", address);
        v("email", email);
        v("address_two", address_two);
        v("country", country);
        v("state", state);
        v("city", city);
        v("zip", zip);
        v("telephone", telephone);
        v("user_name", user_name);
        v("update", update);
    }
};

struct KorvoUpdateUserInfoResultModel : modelcoding::ModelDefaults {
    static constexpr const char* className = "KorvoUpdateUserInfoResultModel";

    long long msgCode = 0;                            // "MSG_CODE"
    std::shared_ptr<KorvoUpdateUserInfoModel> result; // "RESULT"

    static const modelcoding::KeyMap& mj_replacedKeyFromPropertyName() {
        static const modelcoding::KeyMap keys{{"msgCode", "MSG_CODE"}, {"result", "RESULT"}};
        return keys;
    }
    template <class V> void mj_properties(V& v) {
        v("msgCode", msgCode);
        v("result", result);
    }
};
