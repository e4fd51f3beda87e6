// The three shared fonts of pluvo's screens (Arial bold, by pixel height), made at start-up and kept until exit.
// Interface thread only.
#pragma once

#include <QFont>

// Small font (16 px: page title, copyright, lists), label font (20 px: navigation, status line), version font
// (20 px italic: the version in the title bar).
void CreateSharedFonts();
const QFont& SmallFont();
const QFont& LabelFont();
const QFont& VersionFont();
