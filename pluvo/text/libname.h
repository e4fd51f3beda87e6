// Names of text library files: the scrambled fallback name and a lookup that ignores the letter case,
// since libraries are shipped as both "xx_text.cbf" and "xx_TEXT.cbf" and Linux file names are case-sensitive.
#pragma once

#include <string>

namespace libname {

constexpr char kLibrarySuffix[] = "_text.cbf";

// The program's own scrambling of a base name: a 12-byte key followed by the name's bytes, each moved by a
// base byte; never holds a zero byte.
std::string ScrambleLibraryName(const std::string& name);

// The scrambled form of a name written as "%X" per byte: the file name tried when the plain one is missing.
std::string ScrambledFileName(const std::string& name);

// Path of the entry of folder whose name equals name, ignoring ASCII letter case; an exact match wins.
// Empty when there is none. folder may end with "/" or not.
std::string FindFileNoCase(const std::string& folder, const std::string& name);

} // namespace libname
