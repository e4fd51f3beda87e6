// The application's own files: where its resources lie (Resources/ beside the executable) and its version.
// Tests point the resource folder elsewhere before use. Safe from any thread.
#pragma once

#include <QString>

namespace mainbundle {

// The resource folder; defaults to <folder of the executable>/Resources.
QString resourcePath();
// Replaces the resource folder (empty restores the default).
void setResourcePath(const QString& path);
// Full path of <name>.<type> in the resource folder (type may be empty), or an empty text when it does not exist.
QString pathForResource(const QString& name, const QString& type);
// The version shown to the user, such as "1.0.0".
QString shortVersionString();

} // namespace mainbundle
