#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

extern char** environ;

namespace {

// Enough of the child's standard error to explain a failure without growing without bound.
constexpr size_t kErrorTextLimit = 4096;
// How often a quiet child is checked for having exited.
constexpr int kReapSliceMs = 100;

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

} // namespace

ChildProcess::~ChildProcess() {
    terminate();
    Result ignored;
    reap(ignored, true);
    closeFd(m_stdout);
    closeFd(m_stderr);
}

bool ChildProcess::start(const std::vector<std::string>& argv, const std::string& stdinText,
                         const std::string& workingDirectory) {
    if (argv.empty() || m_pid > 0) return false;
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return false;
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]), ::close(in[1]);
        return false;
    }
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(in[0]), ::close(in[1]), ::close(out[0]), ::close(out[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    if (!workingDirectory.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    // The child must not inherit a caller's blocked or ignored signals, or a kill could be missed.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(in[0]), ::close(out[1]), ::close(err[1]);
    if (rc != 0) {
        ::close(in[1]), ::close(out[0]), ::close(err[0]);
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pid = pid;
        m_reaped = false;
    }
    m_stdout = out[0];
    m_stderr = err[0];
    // A child that stops reading early must not stop us with SIGPIPE.
    sigset_t pipeSet, old;
    sigemptyset(&pipeSet);
    sigaddset(&pipeSet, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSet, &old);
    writeAll(in[1], stdinText);
    ::close(in[1]);
    struct timespec zero = {0, 0};
    sigtimedwait(&pipeSet, nullptr, &zero);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return true;
}

void ChildProcess::reap(Result& result, bool block) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pid <= 0 || m_reaped) return;
    int status = 0;
    pid_t rc;
    do {
        rc = ::waitpid(m_pid, &status, block ? 0 : WNOHANG);
    } while (rc < 0 && errno == EINTR);
    if (rc != m_pid) return;
    m_reaped = true;
    if (WIFEXITED(status)) {
        result.exited = true;
        result.exitCode = WEXITSTATUS(status);
    }
    result.terminated = m_terminateRequested;
}

ChildProcess::Result ChildProcess::wait(const Output& onOutput, int timeoutMs) {
    Result result;
    if (m_pid <= 0) return result;
    result.started = true;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    char buffer[16384];
    while (m_stdout >= 0 || m_stderr >= 0) {
        pollfd fds[2];
        int count = 0;
        if (m_stdout >= 0) fds[count++] = {m_stdout, POLLIN, 0};
        if (m_stderr >= 0) fds[count++] = {m_stderr, POLLIN, 0};
        // Short slices: a grandchild that keeps our pipes open must not hide the child's own exit.
        int waitMs = kReapSliceMs;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                result.timedOut = true;
                terminate();
                break;
            }
            waitMs = int(std::min<long long>(left, kReapSliceMs));
        }
        const int ready = ::poll(fds, nfds_t(count), waitMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) break;
        if (ready == 0) {
            reap(result, false);
            if (isReaped()) break;
            continue;
        }
        for (int i = 0; i < count; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            const bool isOut = fds[i].fd == m_stdout;
            if (n <= 0) {
                closeFd(isOut ? m_stdout : m_stderr);
                continue;
            }
            if (isOut) {
                if (onOutput) onOutput(buffer, size_t(n));
            } else {
                m_errorText.append(buffer, size_t(n));
                if (m_errorText.size() > kErrorTextLimit) m_errorText.erase(0, m_errorText.size() - kErrorTextLimit);
            }
        }
    }
    closeFd(m_stdout);
    closeFd(m_stderr);
    const bool timedOut = result.timedOut;
    reap(result, true);
    result.timedOut = timedOut;
    if (timedOut) result.terminated = false;
    return result;
}

bool ChildProcess::isReaped() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reaped;
}

void ChildProcess::terminate() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pid <= 0 || m_reaped) return;
    m_terminateRequested = true;
    ::kill(m_pid, SIGKILL);
}

ChildProcess::Result ChildProcess::run(const std::vector<std::string>& argv, int timeoutMs, std::string* output) {
    ChildProcess child;
    if (!child.start(argv)) return {};
    return child.wait(
        [output](const char* data, size_t length) {
            if (output) output->append(data, length);
        },
        timeoutMs);
}
