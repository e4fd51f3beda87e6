// The serial device folder: a relative SCANTOOL_SERIAL_DIR names a folder below the current one, in this program
// and in the programs it starts in other folders.
#include "TempDir.h"
#include "serial.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string realPath(const std::string& path) {
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? buf : path;
}

// A folder with one device link's stand-in and the variable set relative to its parent.
class DeviceFolder : public ::testing::Test {
protected:
    void SetUp() override {
        root = realPath(dir.path());
        ASSERT_EQ(::mkdir((root + "/dev").c_str(), 0755), 0);
        dir.write("dev/usb-ScanTool_Virtual_COM_Port-if00", "");
        dir.write("dev/serial-other", "");
        char cwd[PATH_MAX];
        ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
        previous = cwd;
    }
    void TearDown() override {
        unsetenv(serial::kDeviceDirEnv);
        ASSERT_EQ(::chdir(previous.c_str()), 0);
    }

    TempDir dir;
    std::string root, previous;
};

TEST_F(DeviceFolder, RelativeFolderIsTakenFromTheCurrentFolder) {
    ASSERT_EQ(::chdir(root.c_str()), 0);
    setenv(serial::kDeviceDirEnv, "dev", 1);
    EXPECT_EQ(serial::deviceDir(), root + "/dev");
    EXPECT_EQ(serial::listUsbSerialDevices(),
              std::vector<std::string>{root + "/dev/usb-ScanTool_Virtual_COM_Port-if00"});
    setenv(serial::kDeviceDirEnv, (root + "/dev").c_str(), 1);
    EXPECT_EQ(serial::deviceDir(), root + "/dev");
    unsetenv(serial::kDeviceDirEnv);
    EXPECT_EQ(serial::deviceDir(), serial::kDefaultDeviceDir);
    EXPECT_FALSE(serial::deviceDirIsSet());
}

// The program is started in the folder above dev with the relative name: the folder it hands on to the programs it
// starts (pluvo restarted in its own folder) is the same absolute one.
TEST_F(DeviceFolder, ProgramsStartedElsewhereInheritTheSameFolder) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind(std::string(serial::kDeviceDirEnv) + "=", 0) != 0) env.push_back(*e);
    env.push_back(std::string(serial::kDeviceDirEnv) + "=dev");
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string exe = SERIAL_PROBE_EXE;
    char* argv[] = {exe.data(), nullptr};
    const std::string out = root + "/out.txt";
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addchdir_np(&fa, root.c_str());
    posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv, envp.data()), 0);
    posix_spawn_file_actions_destroy(&fa);
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto bytes = readFileBytes(out);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), root + "/dev\n" + root + "/dev\n");
}

} // namespace
