// What the main dialog knows of the scan tool, read by its pages: kept and written on the interface thread only.
// The flash worker gets its own copies of the id and the port when it starts.
#pragma once

#include <QString>
#include <functional>
#include <string>

struct DeviceState {
    bool present = false;   // the tool is there, as the status line says and the connection mark shows
    QString deviceId;       // the model the tool said it is; empty while no tool is identified
    std::string devicePort; // the identified tool's port; empty for none
    bool busy = false;      // a flash runs
    QString programFolder;  // ends with "/"
    // The main dialog's page-title label and the end of a flash (a deferred device check may run then).
    std::function<void(const QString&)> setPageTitle;
    std::function<void()> flashEnded;
};
