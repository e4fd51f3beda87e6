// CQuenlarkApp: pluvo's start-up: one instance per user, the text library of the configured language, the shared
// fonts, then the main dialog until it closes. Interface thread only.
#pragma once

#include <QString>

class CQuenlarkApp {
public:
    // The lock's file name, in $XDG_RUNTIME_DIR or else the temporary folder (with the user id, there).
    static constexpr char kInstanceLockName[] = "velmoranTech-pluvo.lock";

    CQuenlarkApp() = default;
    ~CQuenlarkApp(); // ExitInstance
    CQuenlarkApp(const CQuenlarkApp&) = delete;
    CQuenlarkApp& operator=(const CQuenlarkApp&) = delete;

    // Runs the program; false in every case (the program ends when the dialog closes or start-up refuses).
    bool InitInstance();
    int ExitInstance();

    // The single-instance lock: true when taken (kept until ExitInstance or the process ends).
    bool TakeInstanceLock(const QString& path = InstanceLockPath());
    static QString InstanceLockPath();
    // The text library of Language in programFolder's pluvo.cfg opens from its language folder and reads back its
    // texts; otherwise "Language error" was shown.
    static bool CheckLanguage(const QString& programFolder, bool showError = true);
    // Set while the interface language is double-byte (Chinese): the report capture reads it.
    static bool doubleByteLanguage();

private:
    int m_lockFd = -1;
};
