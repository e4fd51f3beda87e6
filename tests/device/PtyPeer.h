// The far end of a pseudo-terminal linked into a temporary device folder, scripted by a test:
// it records what the host writes and answers as the test says.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class PtyPeer {
public:
    explicit PtyPeer(const std::string& dir, const std::string& linkName = "usb-Test_Virtual_COM_Port-if00");
    ~PtyPeer();
    const std::string& link() const { return m_link; }
    // Reads what the host wrote, waiting up to timeoutMs for the first byte and briefly for more.
    std::vector<uint8_t> readFrame(int timeoutMs);
    void send(const std::vector<uint8_t>& bytes);
    // The tool is unplugged: the pty goes away.
    void vanish();
    // Reads whatever the host has written so far, without waiting.
    std::vector<uint8_t> readNow();

private:
    int m_master = -1;
    int m_slaveKeep = -1;
    std::string m_link;
};
