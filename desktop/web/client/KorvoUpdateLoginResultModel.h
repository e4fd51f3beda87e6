// The reply of a log-in; the account store keeps the last one. Archivable: every property under its name.
#pragma once

#include "modelcoding.h"

struct KorvoUpdateLoginResultModel : modelcoding::ModelDefaults {
    static constexpr const char* className = "KorvoUpdateLoginResultModel";
    static bool supportsSecureCoding() { return true; }
    modelcoding::json encodeWithCoder() const { return modelcoding::mj_encode(*this); }
    static std::shared_ptr<KorvoUpdateLoginResultModel> initWithCoder(const modelcoding::json& archive) {
        return modelcoding::mj_decode<KorvoUpdateLoginResultModel>(archive);
    }

    long long msgCode = 0;
    QString msgInfo;
    QString userInfo;   // "User_Info": the account's user data as the service sends it
    QString userReName; // "User_reName": the user name later requests send
    bool right = false; // "is_right": the log-in was accepted

    bool isRight() const { return right; }

    static const modelcoding::KeyMap& mj_replacedKeyFromPropertyName() {
        static const modelcoding::KeyMap keys{{"msgCode", "MSG_CODE"},
                                              {"msgInfo", "MSG_INFO"},
                                              {"userInfo", "User_Info"},
                                              {"userReName", "User_reName"},
                                              {"right", "is_right"}};
        return keys;
    }
    template <class V> void mj_properties(V& v) {
        v("msgCode", msgCode);
        v("msgInfo", msgInfo);
        v("userInfo", userInfo);
        v("userReName", userReName);
        v("right", right);
    }
};
