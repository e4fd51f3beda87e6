// The reply of creating an order and of the order status; its result is one object, not an array.
#pragma once

#include "modelcoding.h"

struct KorvoUpdateOrderInfoModel : modelcoding::ModelDefaults {
    static constexpr const char* className = "KorvoUpdateOrderInfoModel";

    long long order = 0; // "ORDER"
    QString status;      // "STATUS"

    static const modelcoding::KeyMap& mj_replacedKeyFromPropertyName() {
        static const modelcoding::KeyMap keys{{"order", "ORDER"}, {"status", "STATUS"}};
        return keys;
    }
    template <class V> void mj_properties(V& v) {
        v("order", order);
        v("status", status);
    }
};

struct KorvoUpdateOrderResultModel : modelcoding::ModelDefaults {
    static constexpr const char* className = "KorvoUpdateOrderResultModel";

    long long msgCode = 0;
    QString msgInfo;
    std::shared_ptr<KorvoUpdateOrderInfoModel> result; // "RESULT"

    static const modelcoding::KeyMap& mj_replacedKeyFromPropertyName() {
        static const modelcoding::KeyMap keys{{"msgCode", "MSG_CODE"}, {"msgInfo", "MSG_INFO"}, {"result", "RESULT"}};
        return keys;
    }
    template <class V> void mj_properties(V& v) {
        v("msgCode", msgCode);
        v("msgInfo", msgInfo);
        v("result", result);
    }
};
