// The reply of an account registration, and one entry of its result.
#pragma once

#include "modelcoding.h"

struct KorvoUpdateRegisteInfoModel : modelcoding::ModelDefaults {
    static constexpr const char* className = "KorvoUpdateRegisteInfoModel";

    long long code = 0;
    QString serialNumber;   // "serial_number"
    bool regResult = false; // "reg_result"

    static const modelcoding::KeyMap& mj_replacedKeyFromPropertyName() {
        static const modelcoding::KeyMap keys{{"serialNumber", "serial_number"}, {"regResult", "reg_result"}};
        return keys;
    }
    template <class V> void mj_properties(V& v) {
        v("code", code);
        v("serialNumber", serialNumber);
        v("regResult", regResult);
    }
};

struct KorvoUpdateRegisteResultModel {
    static constexpr const char* className = "KorvoUpdateRegisteResultModel";

    long long msgCode = 0;
    QString msgInfo;
    modelcoding::ModelArray<KorvoUpdateRegisteInfoModel> result; // "RESULT"

    static const modelcoding::KeyMap& mj_replacedKeyFromPropertyName() {
        static const modelcoding::KeyMap keys{{"msgCode", "MSG_CODE"}, {"msgInfo", "MSG_INFO"}, {"result", "RESULT"}};
        return keys;
    }
    static const modelcoding::KeyMap& mj_objectClassInArray() {
        static const modelcoding::KeyMap classes{{"result", KorvoUpdateRegisteInfoModel::className}};
        return classes;
    }
    template <class V> void mj_properties(V& v) {
        v("msgCode", msgCode);
        v("msgInfo", msgInfo);
        v("result", result);
    }
};
