// The software list of a product, and one software of it.
#pragma once

#include "modelcoding.h"

struct KorvoUpdateSoftwareInfoModel : modelcoding::ModelDefaults {
    static constexpr const char* className = "KorvoUpdateSoftwareInfoModel";

    QString softwareName;     // "software_name"
    long long softwareID = 0; // "software_id"

    static const modelcoding::KeyMap& mj_replacedKeyFromPropertyName() {
        static const modelcoding::KeyMap keys{{"softwareName", "software_name"}, {"softwareID", "software_id"}};
        return keys;
    }
    template <class V> void mj_properties(V& v) {
        v("softwareName", softwareName);
        v("softwareID", softwareID);
    }
};

struct KorvoUpdateSoftwareResultModel {
    static constexpr const char* className = "KorvoUpdateSoftwareResultModel";

    long long msgCode = 0;
    QString msgInfo;
    modelcoding::ModelArray<KorvoUpdateSoftwareInfoModel> softwareInfo; // "SOFTWARE_INFO"

    static const modelcoding::KeyMap& mj_replacedKeyFromPropertyName() {
        static const modelcoding::KeyMap keys{
            {"msgCode", "MSG_CODE"}, {"msgInfo", "MSG_INFO"}, {"softwareInfo", "SOFTWARE_INFO"}};
        return keys;
    }
    static const modelcoding::KeyMap& mj_objectClassInArray() {
        static const modelcoding::KeyMap classes{{"softwareInfo", KorvoUpdateSoftwareInfoModel::className}};
        return classes;
    }
    template <class V> void mj_properties(V& v) {
        v("msgCode", msgCode);
        v("msgInfo", msgInfo);
        v("softwareInfo", softwareInfo);
    }
};
