// Loads libpluvotext.so the way another program would, knowing only its C interface.
#include "pluvotext.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using GetText = long (*)(const unsigned char*, char*, size_t);
using GetTextEx = long (*)(const unsigned char*, const char*, char*, size_t);
using SetFolder = int (*)(const char*);

// Loaded once and kept, as a program would keep it: unloading would take Qt Core with it, and its global caches
// would then look leaked.
class ExportedTextFunctions : public ::testing::Test {
protected:
    static void SetUpTestSuite() { handle = dlopen(PLUVOTEXT_PATH, RTLD_NOW | RTLD_LOCAL); }

    void SetUp() override {
        ASSERT_NE(handle, nullptr) << dlerror();
        stdText = reinterpret_cast<GetText>(dlsym(handle, "adsGetStdText"));
        wideText = reinterpret_cast<GetText>(dlsym(handle, "adsGetStdText_CString"));
        libText = reinterpret_cast<GetText>(dlsym(handle, "adsGetTextFromTextLib"));
        libTextEx = reinterpret_cast<GetTextEx>(dlsym(handle, "adsGetTextFromTextLibEx"));
        setFolder = reinterpret_cast<SetFolder>(dlsym(handle, "adsSetTextLibraryFolder"));
        ASSERT_TRUE(stdText && wideText && libText && libTextEx && setFolder);
    }

    static inline void* handle = nullptr;
    GetText stdText = nullptr, wideText = nullptr, libText = nullptr;
    GetTextEx libTextEx = nullptr;
    SetFolder setFolder = nullptr;
};

const unsigned char kTitle[ADS_TEXT_ID_LENGTH] = {0xFF, 0, 0, 0, 0, 0x00};
const unsigned char kDeviceAbsent[ADS_TEXT_ID_LENGTH] = {0xFF, 0, 0, 0, 0, 0x3A};
const unsigned char kCopyright[ADS_TEXT_ID_LENGTH] = {0xFF, 0, 0, 0, 0, 0x13};
const unsigned char kAbsent[ADS_TEXT_ID_LENGTH] = {0x00, 0, 0, 0, 0, 0x01};

TEST_F(ExportedTextFunctions, FetchTextsOfPluvosLanguageFolder) {
    char text[128];
    EXPECT_EQ(stdText(kTitle, text, sizeof text), 5);
    EXPECT_STREQ(text, "pluvo");
    EXPECT_EQ(libText(kDeviceAbsent, text, sizeof text), 23);
    EXPECT_STREQ(text, "Scan tool not connected");
    EXPECT_EQ(libTextEx(kDeviceAbsent, "|", text, sizeof text), 23);
    EXPECT_EQ(stdText(kAbsent, text, sizeof text), 0);
    EXPECT_STREQ(text, "");

    // English is code page 1252: "©" is one byte there and two in UTF-8.
    const long narrow = stdText(kCopyright, nullptr, 0);
    const long wide = wideText(kCopyright, nullptr, 0);
    EXPECT_EQ(wide, narrow + 1);
    std::string utf8(size_t(wide) + 1, '\0');
    EXPECT_EQ(wideText(kCopyright, utf8.data(), utf8.size()), wide);
    EXPECT_EQ(utf8.substr(0, 12), "Copyright \xC2\xA9");
}

TEST_F(ExportedTextFunctions, SmallBuffersGetTheNeededLength) {
    char text[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(libText(kDeviceAbsent, text, sizeof text), 23);
    EXPECT_STREQ(text, "Sca");
    EXPECT_EQ(wideText(kCopyright, text, 1), wideText(kCopyright, nullptr, 0));
    EXPECT_STREQ(text, "");
    char utf8[12];
    wideText(kCopyright, utf8, sizeof utf8); // "Copyright ©" needs 12 bytes and a terminator
    EXPECT_STREQ(utf8, "Copyright ");
    EXPECT_EQ(stdText(nullptr, text, sizeof text), -1);
    EXPECT_EQ(stdText(kTitle, nullptr, 5), -1);
    EXPECT_EQ(setFolder(nullptr), -1);
}

TEST_F(ExportedTextFunctions, ReadAnotherFolderAndExpandEmbeddedIds) {
    TempDir dir;
    const std::string source =
        dir.write("en.txt", std::string("FF0000000001  Press |FF0000000002| to go on\nFF0000000002  OK\n"));
    const pid_t pid = fork();
    if (pid == 0) {
        execl(MKTEXTLIB_PATH, MKTEXTLIB_PATH, "--lang", "en", "--scramble", source.c_str(), dir.path().c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    ASSERT_EQ(setFolder(dir.path().c_str()), 0);
    const unsigned char first[ADS_TEXT_ID_LENGTH] = {0xFF, 0, 0, 0, 0, 0x01};
    char text[64];
    EXPECT_EQ(libTextEx(first, "|", text, sizeof text), 17);
    EXPECT_STREQ(text, "Press OK to go on");
    EXPECT_EQ(libTextEx(first, nullptr, text, sizeof text), 29);
    EXPECT_EQ(stdText(kTitle, text, sizeof text), 0);
    EXPECT_EQ(setFolder(PLUVO_DIST_DIR "/language"), 0);
    EXPECT_EQ(stdText(kTitle, text, sizeof text), 5);
}

} // namespace
