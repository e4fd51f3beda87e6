// One entry of the main screen's tab bar: its title (already localized) and its icon's image name.
#pragma once

#include <QString>

struct KorvoUpdateTabItemModel {
    QString title;
    QString icon;
};
