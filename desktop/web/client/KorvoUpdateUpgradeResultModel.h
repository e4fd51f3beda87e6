// The packages for a product: the service's code and message and the product's download records.
#pragma once

#include "KorvoUpdateDownloadModel.h"
#include "modelcoding.h"

// Download records keep their own key mapping.
template <> struct modelcoding::ModelReader<KorvoUpdateDownloadModel> {
    static KorvoUpdateDownloadModelPtr read(const json& object) {
        try {
            return KorvoUpdateDownloadModel::mj_objectWithKeyValues(nlohmann::json(object));
        } catch (const std::exception&) {
            return nullptr;
        }
    }
};

struct KorvoUpdateUpgradeResultModel {
    static constexpr const char* className = "KorvoUpdateUpgradeResultModel";

    long long msgCode = 0;
    QString msgInfo;
    modelcoding::ModelArray<KorvoUpdateDownloadModel> upgrade; // "UPGRADE"

    static const modelcoding::KeyMap& mj_replacedKeyFromPropertyName() {
        static const modelcoding::KeyMap keys{{"msgCode", "MSG_CODE"}, {"msgInfo", "MSG_INFO"}, {"upgrade", "UPGRADE"}};
        return keys;
    }
    static const modelcoding::KeyMap& mj_objectClassInArray() {
        static const modelcoding::KeyMap classes{{"upgrade", "KorvoUpdateDownloadModel"}};
        return classes;
    }
    template <class V> void mj_properties(V& v) {
        v("msgCode", msgCode);
        v("msgInfo", msgInfo);
        v("upgrade", upgrade);
    }
};
