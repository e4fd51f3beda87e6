// A child program started from an argument list (never a shell line), with its standard input filled from a
// text and closed, and its standard output and error read in poll() until it exits or its time is up.
// terminate() may be called from any thread while another thread waits: the child is signalled through this
// object only while it has not been reaped, so its pid cannot belong to another process by then.
#pragma once

#include <sys/types.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

class ChildProcess {
public:
    struct Result {
        bool started = false;
        bool exited = false; // ended by exit(), exitCode holds its status
        int exitCode = -1;
        bool timedOut = false;   // killed because the wait ran out
        bool terminated = false; // killed by terminate()
    };
    using Output = std::function<void(const char* data, size_t length)>;

    ChildProcess() = default;
    ~ChildProcess(); // kills and reaps a child still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // argv[0] is looked up in PATH. workingDirectory empty: the caller's. stdinText is written whole, then the
    // child's input is closed. False when the program could not be started.
    bool start(const std::vector<std::string>& argv, const std::string& stdinText = {},
               const std::string& workingDirectory = {});
    // Blocks until the child exits, handing every piece of its standard output to onOutput (standard error is
    // kept for errorText()). timeoutMs < 0 waits for ever; when it runs out the child is killed.
    Result wait(const Output& onOutput = {}, int timeoutMs = -1);
    // Kills the running child; does nothing before start() or once it has been reaped.
    void terminate();
    // The last 4 KiB of the child's standard error, for error messages.
    const std::string& errorText() const { return m_errorText; }
    pid_t pid() const { return m_pid; }

    // start() and wait() in one call.
    static Result run(const std::vector<std::string>& argv, int timeoutMs, std::string* output = nullptr);

private:
    void reap(Result& result, bool block);
    bool isReaped();
    std::mutex m_mutex;
    pid_t m_pid = -1;
    bool m_reaped = true;
    bool m_terminateRequested = false;
    int m_stdout = -1;
    int m_stderr = -1;
    std::string m_errorText;
};
