// Replacing a file's contents safely: the bytes go to a temporary file beside it, which is flushed to disk and
// renamed over the file only when every byte was written. A failure leaves the old file as it was. Shared by every
// program's writers of files a user keeps (packages, settings, accounts, versions). Safe from any thread; the
// temporary file is not inherited by child processes.
#pragma once

#include <cstddef>
#include <string>

namespace safefile {

// The mode argument that keeps an existing file's permissions and gives a new file 0644.
constexpr int kKeepMode = -1;

// Writes path (the target of a symbolic link, when it is one). mode is the file's permissions afterwards, or
// kKeepMode. False with a reason in error (when given) on any failure.
bool ReplaceFile(const std::string& path, const void* data, size_t size, std::string* error = nullptr,
                 int mode = kKeepMode);

// Moves a damaged file out of the way of a new one, keeping it for a look: renames path to
// path + ".damaged-<UTC time, yyyyMMddTHHmmssZ>", with "-2", "-3", ... when that name is taken; never over an
// existing file, so no copy kept earlier is lost. The new path, or empty with a reason in error (when given).
std::string MoveAsideDamaged(const std::string& path, std::string* error = nullptr);

} // namespace safefile
