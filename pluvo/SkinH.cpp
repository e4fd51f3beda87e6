#include "SkinH.h"

#include <QApplication>
#include <QFile>
#include <QTextCodec>

namespace {
QString g_current;

// Appended to every skin: the widgets that paint themselves keep no background or border of a skin.
const char kShield[] = "\n/* pluvo: self-painted widgets */\n"
                       "QDialog#dialog102 { background: transparent; border: none; }\n"
                       "CRadioListBox::item, CProListCtrl::item { background: transparent; border: none; }\n";

// Braces balanced outside comments and strings, and at least one rule.
bool looksLikeStyleSheet(const QString& sheet) {
    int depth = 0, rules = 0;
    for (int i = 0; i < sheet.size(); ++i) {
        const QChar c = sheet.at(i);
        if (c == QLatin1Char('/') && i + 1 < sheet.size() && sheet.at(i + 1) == QLatin1Char('*')) {
            const int end = sheet.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0) return false;
            i = end + 1;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const int end = sheet.indexOf(c, i + 1);
            if (end < 0) return false;
            i = end;
        } else if (c == QLatin1Char('{')) {
            if (++depth > 1) return false;
        } else if (c == QLatin1Char('}')) {
            if (--depth < 0) return false;
            ++rules;
        } else if (c == QChar(0)) {
            return false;
        }
    }
    return depth == 0 && rules > 0;
}
} // namespace

int SkinH_AttachEx(const QString& skinFile, const QString& /*password*/) {
    QFile f(skinFile);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxSkinBytes) return kSkinUnreadable;
    const QByteArray bytes = f.readAll();
    QTextCodec::ConverterState state;
    const QString sheet = QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars > 0 || !looksLikeStyleSheet(sheet)) return kSkinNotASheet;
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        app->setStyleSheet(sheet + QLatin1String(kShield));
    g_current = skinFile;
    return kSkinOk;
}

int SkinH_SetAero(int) {
    return kSkinOk;
}

QString SkinH_CurrentSkin() {
    return g_current;
}

void SkinH_Detach() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) app->setStyleSheet(QString());
    g_current.clear();
}
