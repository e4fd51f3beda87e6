// Helpers for the desktop tests: the real resources, a clean user-defaults store, and waits that keep the Qt event
// loop turning.
#pragma once

#include <QString>

#include <functional>

namespace desktoptest {
// The shipped resources of the desktop updater (the source folder).
QString resourcesDir();
// Removes every key of the test's user-defaults store.
void clearDefaults();
// The state the test main starts in: clear defaults but for English as the interface language, and the English
// texts of the current resources loaded, whatever an earlier test chose.
void useEnglish();
// Turns the event loop until pred holds or timeoutMs passes; returns pred's last value.
bool waitUntil(const std::function<bool()>& pred, int timeoutMs);
// Turns the event loop for ms.
void spin(int ms);
} // namespace desktoptest
