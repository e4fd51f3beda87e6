// Gives every test program a home folder of its own before main runs, and removes it when the program ends, so
// that nothing a test runs (a file dialog keeping its state, settings, caches, fonts) writes into the user's home.
// The programs a test starts inherit that home; a test program started by another keeps the one it was given.
// Linked into every test program as an object library, since nothing refers to it.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Names the private home in its programs' environment: set, it is the home a test program was started with.
constexpr const char* kMarker = "SCANTOOL_TEST_HOME";

class PrivateHome {
public:
    PrivateHome() {
        if (std::getenv(kMarker)) return;
        std::error_code ec;
        const fs::path temp = fs::temp_directory_path(ec);
        std::string folder = ((ec ? fs::path("/tmp") : temp) / "scantool-home-XXXXXX").string();
        if (!mkdtemp(folder.data())) {
            // Running on in the real home is what this is here to prevent.
            std::fprintf(stderr, "no private home folder in %s: %s\n", folder.c_str(), std::strerror(errno));
            std::exit(EXIT_FAILURE);
        }
        m_path = folder;
        m_owner = getpid();
        setenv("HOME", m_path.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_path + "/.config").c_str(), 1);
        setenv("XDG_DATA_HOME", (m_path + "/.local/share").c_str(), 1);
        setenv("XDG_CACHE_HOME", (m_path + "/.cache").c_str(), 1);
        setenv("XDG_STATE_HOME", (m_path + "/.local/state").c_str(), 1);
        setenv(kMarker, m_path.c_str(), 1);
    }
    ~PrivateHome() {
        // A forked child that ends through exit() must not take its parent's home with it.
        if (m_path.empty() || getpid() != m_owner) return;
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

private:
    std::string m_path;
    pid_t m_owner = 0;
};

// Before any other static object of the program, which might already look for the home.
PrivateHome g_home __attribute__((init_priority(101)));

} // namespace
