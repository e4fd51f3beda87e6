// The reply of the support ticket, of changing account details and of the report back: the service's result code
// and message, which every other result model but two also begins with.
#pragma once

#include "modelcoding.h"

struct KorvoUpdateResultModel : modelcoding::ModelDefaults {
    static constexpr const char* className = "KorvoUpdateResultModel";

    long long msgCode = 0; // "MSG_CODE"
    QString msgInfo;       // "MSG_INFO"

    static const modelcoding::KeyMap& mj_replacedKeyFromPropertyName() {
        static const modelcoding::KeyMap keys{{"msgCode", "MSG_CODE"}, {"msgInfo", "MSG_INFO"}};
        return keys;
    }
    template <class V> void mj_properties(V& v) {
        v("msgCode", msgCode);
        v("msgInfo", msgInfo);
    }
};
