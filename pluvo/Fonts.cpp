#include "Fonts.h"

namespace {
constexpr int kSmallHeight = 16;
constexpr int kLabelHeight = 20;
constexpr int kVersionHeight = 20;

QFont make(int pixels, bool italic) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    f.setWeight(QFont::Bold);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferQuality);
    return f;
}

QFont g_small, g_label, g_version;
bool g_made = false;
} // namespace

void CreateSharedFonts() {
    g_small = make(kSmallHeight, false);
    g_label = make(kLabelHeight, false);
    g_version = make(kVersionHeight, true);
    g_made = true;
}

const QFont& SmallFont() {
    if (!g_made) CreateSharedFonts();
    return g_small;
}
const QFont& LabelFont() {
    if (!g_made) CreateSharedFonts();
    return g_label;
}
const QFont& VersionFont() {
    if (!g_made) CreateSharedFonts();
    return g_version;
}
