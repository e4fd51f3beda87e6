// A program the tests run as a user would: an argument list, no shell, its standard output and error in one file.
// The destructor kills and reaps it when it still runs.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

class SpawnedProgram {
public:
    SpawnedProgram(const std::string& exe, std::vector<std::string> args, const std::string& outPath);
    ~SpawnedProgram();
    SpawnedProgram(const SpawnedProgram&) = delete;
    SpawnedProgram& operator=(const SpawnedProgram&) = delete;

    bool started() const { return m_pid > 0; }
    void signal(int sig);
    // Its exit status, 128 + the signal that ended it, or -1 when it did not start.
    int wait();

    // Runs the program to its end; its exit status as wait() gives it.
    static int run(const std::string& exe, const std::vector<std::string>& args, const std::string& outPath);

private:
    pid_t m_pid = -1;
};
