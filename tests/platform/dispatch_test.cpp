#include "Dispatch.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

using namespace std::chrono_literals;

namespace {

int g_pipe = -1;

// Thread-local state whose clean-up is slow, as a TLS library's error queue may be.
struct SlowThreadState {
    ~SlowThreadState() {
        std::this_thread::sleep_for(200ms);
        const char done = 'd';
        (void)!write(g_pipe, &done, 1);
    }
};

} // namespace

// The work hands its result over and the process ends at once: the worker's thread-local clean-up still runs
// before the process is gone, or its state is lost (and reported as a leak).
TEST(Dispatch, WorkersEndBeforeTheProcessDoes) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        g_pipe = fds[1];
        std::promise<void> delivered;
        dispatch::globalAsync([&delivered] {
            thread_local SlowThreadState state;
            (void)state;
            delivered.set_value();
        });
        delivered.get_future().wait();
        exit(0);
    }
    close(fds[1]);
    char got = 0;
    const ssize_t n = read(fds[0], &got, 1);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(n, 1);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// A child forked while a worker runs has none of the parent's threads: it neither waits for nor joins them.
TEST(Dispatch, AForkedChildLeavesItsParentsWorkersAlone) {
    std::promise<void> release, started;
    std::shared_future<void> released = release.get_future().share();
    dispatch::globalAsync([released, &started] {
        started.set_value();
        released.wait();
    });
    started.get_future().wait();

    const auto begun = std::chrono::steady_clock::now();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::promise<void> ran;
        dispatch::globalAsync([&ran] { ran.set_value(); });
        ran.get_future().wait();
        exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const auto tookMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begun).count();
    release.set_value();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_LT(tookMs, dispatch::kWorkerExitWaitMs - 1000);
}

TEST(Dispatch, ManyShortWorkersAllRunAndAreReaped) {
    std::atomic<int> ran{0};
    for (int i = 0; i < 200; ++i)
        dispatch::globalAsync([&ran] { ++ran; });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (ran < 200 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    EXPECT_EQ(ran, 200);
}
