// Opens a downloaded installer package with the desktop's opener (xdg-open), run from an argument list with a
// bounded wait. Only a regular file inside the download folder is handed over, by its absolute path: never a
// .desktop entry or a file with an execute bit, which the opener would run rather than open.
#pragma once

#include <QString>

#include <functional>
#include <mutex>

class KorvoUpdateAppUpdateManager {
public:
    // Hands an absolute path to the program that opens it; tests replace it.
    using Opener = std::function<void(const QString& absolutePath)>;

    static KorvoUpdateAppUpdateManager& sharedManager();

    // Blocks until the opener has returned; reports nothing. A path that breaks the rules above is not opened.
    void openInstallationPackage(const QString& path);

    // Whether path may be handed to the opener, and its absolute form when it may.
    static bool isOpenablePackage(const QString& path, QString* absolutePath = nullptr);

    void setOpener(Opener opener); // empty: xdg-open
    static void runXdgOpen(const QString& absolutePath);

private:
    KorvoUpdateAppUpdateManager() = default;
    std::mutex m_mutex;
    Opener m_opener;
};
