// The program's private Documents folder, in place of the one inside a sandboxed program's container.
#pragma once

#include <QString>

namespace platform {

// AppDataLocation + "/Documents", created on first use; or the folder set with setDocumentsDirectory.
// Thread-safe.
QString documentsDirectory();
// Points documentsDirectory at path (tests); an empty path restores the default.
void setDocumentsDirectory(const QString& path);

} // namespace platform
