// The one file writer of every program: permissions by its mode argument, links followed, nothing left behind.
#include "TempDir.h"
#include "safefile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

std::string text(const std::string& path) {
    const auto bytes = readFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

} // namespace

TEST(SafeFile, ModeIsKeptOrSetAndOnlyTheFileRemains) {
    TempDir dir;
    const std::string fresh = dir.file("new.txt");
    ASSERT_TRUE(safefile::ReplaceFile(fresh, "a", 1));
    EXPECT_EQ(modeOf(fresh), 0644u);

    const std::string kept = dir.write("kept.txt", "old");
    ASSERT_EQ(::chmod(kept.c_str(), 0640), 0);
    ASSERT_TRUE(safefile::ReplaceFile(kept, "new", 3));
    EXPECT_EQ(modeOf(kept), 0640u);
    EXPECT_EQ(text(kept), "new");

    const std::string secret = dir.write("secret.txt", "old");
    ASSERT_EQ(::chmod(secret.c_str(), 0644), 0);
    ASSERT_TRUE(safefile::ReplaceFile(secret, "pw", 2, nullptr, 0600));
    EXPECT_EQ(modeOf(secret), 0600u) << "a given mode wins over the old file's";
    EXPECT_EQ(dir.list().size(), 3u) << "no temporary file is left";
}

TEST(SafeFile, ALinkIsFollowedAndAFailureKeepsTheOldFile) {
    TempDir dir;
    const std::string target = dir.write("target.txt", "old");
    const std::string link = dir.file("link.txt");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_TRUE(safefile::ReplaceFile(link, "new", 3));
    EXPECT_EQ(text(target), "new");
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    std::string error;
    EXPECT_FALSE(safefile::ReplaceFile(dir.file("missing/x.txt"), "x", 1, &error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
    EXPECT_EQ(dir.list().size(), 2u);
}
