// SkinH: pluvo's window skins. A skin file (skin/*.she) is a Qt style sheet in UTF-8; attaching one applies it to
// the whole program. The main dialog's navigation bar, the radio rows and the progress cells paint themselves and
// are shielded, so no skin can repaint them. A file that cannot be read or does not hold a style sheet leaves the
// interface as it was. Interface thread only.
#pragma once

#include <QString>

// Results of SkinH_AttachEx.
constexpr int kSkinOk = 0;
constexpr int kSkinUnreadable = 1;
constexpr int kSkinNotASheet = 2;
// A skin larger than this is no style sheet of ours.
constexpr qint64 kMaxSkinBytes = 256 * 1024;

// Attaches the skin of that file. The password is accepted for the callers' sake and not used.
int SkinH_AttachEx(const QString& skinFile, const QString& password);
// The translucent effect: nothing on this platform. Returns kSkinOk.
int SkinH_SetAero(int on);
// The file of the skin attached last ("" for none).
QString SkinH_CurrentSkin();
// Takes the attached skin off again (tests, and a program that wants its plain look back).
void SkinH_Detach();
