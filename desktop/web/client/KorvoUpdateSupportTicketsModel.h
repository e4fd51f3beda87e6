// The support-ticket form: what the user wrote and the choices the form offers. The main view model turns it into
// a ticket's parameters.
#pragma once

#include "modelcoding.h"

struct KorvoUpdateSupportTicketsModel : modelcoding::ModelDefaults {
    static constexpr const char* className = "KorvoUpdateSupportTicketsModel";

    QString subject, scanner, software, version, vin, year, engineSize, problem;
    QStringList scanners;  // ordered, without repeats
    QStringList softwares; // ordered, without repeats
    std::optional<long long> productID;

    template <class V> void mj_properties(V& v) {
        v("subject", subject);
        v("scanner", scanner);
        v("software", software);
        v("version", version);
        v("vin", vin);
        v("year", year);
        v("engineSize", engineSize);
        v("problem", problem);
        v("scanners", scanners);
        v("softwares", softwares);
        v("productID", productID);
    }
};
