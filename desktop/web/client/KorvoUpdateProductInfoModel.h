// One product of a user or of the catalogue. Archivable: every property under its property name.
#pragma once

#include "modelcoding.h"

struct KorvoUpdateProductInfoModel : modelcoding::ModelDefaults {
    static constexpr const char* className = "KorvoUpdateProductInfoModel";
    static bool supportsSecureCoding() { return true; }
    modelcoding::json encodeWithCoder() const { return modelcoding::mj_encode(*this); }
    static std::shared_ptr<KorvoUpdateProductInfoModel> initWithCoder(const modelcoding::json& archive) {
        return modelcoding::mj_decode<KorvoUpdateProductInfoModel>(archive);
    }

    QString serialNumber;     // "serial_number"
    long long serial_id = 0;  // asks for the product's packages
    QString productName;      // "product_name": the scan tool's model name
    QString registrationDate; // "registration_date"
    QString price;            // as the service sends it
    long long productID = 0;  // "product_id": asks for the product type's software list

    static const modelcoding::KeyMap& mj_replacedKeyFromPropertyName() {
        static const modelcoding::KeyMap keys{{"serialNumber", "serial_number"},
                                              {"productName", "product_name"},
                                              {"registrationDate", "registration_date"},
                                              {"productID", "product_id"}};
        return keys;
    }
    template <class V> void mj_properties(V& v) {
        v("serialNumber", serialNumber);
        v("serial_id", serial_id);
        v("productName", productName);
        v("registrationDate", registrationDate);
        v("price", price);
        v("productID", productID);
    }
};
