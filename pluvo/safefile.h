// Replacing a file's contents safely: the bytes go to a temporary file beside it, which is flushed to disk and
// renamed over the file only when every byte was written. A failure leaves the old file as it was.
#pragma once

#include <cstddef>
#include <string>

namespace safefile {

// Writes path (the target of a symbolic link, when it is one), keeping an existing file's permissions; a new
// file gets 0644. False with a reason in error (when given) on any failure.
bool ReplaceFile(const std::string& path, const void* data, size_t size, std::string* error = nullptr);

} // namespace safefile
