// The products of a user and the product catalogue: the service's code and message and two lists of products.
#pragma once

#include "KorvoUpdateProductInfoModel.h"

struct KorvoUpdateProductResultModel {
    static constexpr const char* className = "KorvoUpdateProductResultModel";

    long long msgCode = 0;
    QString msgInfo;
    modelcoding::ModelArray<KorvoUpdateProductInfoModel> productInfo; // "PRODUCT_INFO"; absent when not sent
    modelcoding::ModelArray<KorvoUpdateProductInfoModel> product;     // "PRODUCT"; absent when not sent

    static const modelcoding::KeyMap& mj_replacedKeyFromPropertyName() {
        static const modelcoding::KeyMap keys{
            {"msgCode", "MSG_CODE"}, {"msgInfo", "MSG_INFO"}, {"productInfo", "PRODUCT_INFO"}, {"product", "PRODUCT"}};
        return keys;
    }
    static const modelcoding::KeyMap& mj_objectClassInArray() {
        static const modelcoding::KeyMap classes{{"productInfo", KorvoUpdateProductInfoModel::className},
                                                 {"product", KorvoUpdateProductInfoModel::className}};
        return classes;
    }
    template <class V> void mj_properties(V& v) {
        v("msgCode", msgCode);
        v("msgInfo", msgInfo);
        v("productInfo", productInfo);
        v("product", product);
    }
};
