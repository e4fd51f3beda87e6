// Text libraries for tests: built through the library writer, or laid out byte by byte for damaged files.
#pragma once

#include "textlib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Six id bytes from twelve hexadecimal digits.
std::string idBytes(const std::string& hex);

mktextlib::Record textRecord(const std::string& hexId, const std::string& text);

std::vector<uint8_t> buildLibrary(const std::vector<mktextlib::Record>& records, bool scrambled);

// "FF00000000" + two hex digits of n: ids that sort in n's order.
std::string numberedId(int n);
std::string numberedText(int n);
// A library whose ids numberedId(0 .. count-1) hold numberedText(n) + suffix.
std::vector<uint8_t> numberedLibrary(int count, bool scrambled, const std::string& suffix = "");
