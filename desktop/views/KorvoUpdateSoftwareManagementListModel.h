// One row of the DTC table (code and description) or of the language list (name, code, whether it is current).
#pragma once

#include <QString>

struct KorvoUpdateSoftwareManagementListModel {
    QString codeNumber;
    QString codeDes;
    QString lanName;
    QString lanCode;
    bool selected = false;
};
