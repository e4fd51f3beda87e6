#include "SpawnedProgram.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

SpawnedProgram::SpawnedProgram(const std::string& exe, std::vector<std::string> args, const std::string& outPath) {
    args.insert(args.begin(), exe);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&fa, 1, 2);
    if (posix_spawn(&m_pid, exe.c_str(), &fa, nullptr, argv.data(), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&fa);
}

SpawnedProgram::~SpawnedProgram() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        wait();
    }
}

void SpawnedProgram::signal(int sig) {
    if (m_pid > 0) kill(m_pid, sig);
}

int SpawnedProgram::wait() {
    int status = 0;
    if (m_pid <= 0 || waitpid(m_pid, &status, 0) != m_pid) return -1;
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int SpawnedProgram::run(const std::string& exe, const std::vector<std::string>& args, const std::string& outPath) {
    return SpawnedProgram(exe, args, outPath).wait();
}
