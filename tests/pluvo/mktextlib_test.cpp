#include "DataSheet.h"
#include "libname.h"
#include "textlib.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

CBinary id(const std::string& hex) {
    return CBinary::FromHex(hex);
}

int runMktextlib(const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>(MKTEXTLIB_PATH)};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(MKTEXTLIB_PATH, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(TextTable, ParsesIdsTextsAndEscapes) {
    std::vector<mktextlib::TextEntry> entries;
    std::string error;
    ASSERT_TRUE(mktextlib::ParseTextTable("# comment\r\n\r\nFF0000000001  Hello, world \r\n"
                                          "ff0000000002\tTwo\\nlines\\t\\\\\nFF0000000003\n",
                                          entries, error))
        << error;
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(CBinary(entries[0].id.data(), entries[0].id.size()).ToHex(), "FF0000000001");
    EXPECT_EQ(entries[0].text, "Hello, world ");
    EXPECT_EQ(entries[1].text, "Two\nlines\t\\");
    EXPECT_EQ(entries[2].text, "");
    EXPECT_EQ(entries[2].line, 5);
}

TEST(TextTable, RefusesWhatItCannotCompile) {
    std::vector<mktextlib::TextEntry> entries;
    std::vector<mktextlib::Record> records;
    std::string error;
    EXPECT_FALSE(mktextlib::ParseTextTable("FF0000000001 a\nFF0000000001 b\n", entries, error));
    EXPECT_EQ(error, "line 2: the id FF0000000001 has a text already");
    EXPECT_FALSE(mktextlib::ParseTextTable("FF00000000G1 a\n", entries, error));
    EXPECT_FALSE(mktextlib::ParseTextTable("FF000000001 a\n", entries, error));
    EXPECT_FALSE(mktextlib::ParseTextTable("FF0000000001a\n", entries, error));
    EXPECT_FALSE(mktextlib::ParseTextTable(" FF0000000001 a\n", entries, error));
    EXPECT_FALSE(mktextlib::ParseTextTable("FF0000000001 a\\x\n", entries, error));
    EXPECT_EQ(error, "line 1: unknown escape \"\\x\"");
    ASSERT_TRUE(mktextlib::ParseTextTable("FF0000000001 Čeština\n", entries, error));
    EXPECT_FALSE(mktextlib::EncodeEntries(entries, 1252, records, error));
    EXPECT_TRUE(mktextlib::EncodeEntries(entries, 28592, records, error));
}

TEST(TextTable, LongTextsSpanTwoFields) {
    const std::string text(70000, 'x');
    std::vector<mktextlib::Record> records;
    std::string error;
    ASSERT_TRUE(mktextlib::EncodeEntries({{std::string(6, '\x01'), text + "yz", 1}}, 1252, records, error));
    ASSERT_EQ(records[0].fields.size(), 2u);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(mktextlib::BuildLibrary(records, {}, bytes, error));
    TempDir dir;
    dir.write("en_text.cbf", bytes);
    CDataSheet sheet;
    sheet.SetFolder(dir.path());
    ASSERT_TRUE(sheet.Open("en_text.cbf"));
    EXPECT_EQ(sheet.ReadText(id("010101010101")), text + "yz");
}

TEST(Mktextlib, CompilesASourceIntoALibrary) {
    TempDir dir;
    const std::string source = dir.write("cz.txt", std::string("FF0000000001  Čeština\nFF0000000002  Tisk\n"));
    ASSERT_EQ(runMktextlib({"--lang", "cz", "--scramble", source, dir.path()}), 0);
    CDataSheet sheet;
    sheet.SetFolder(dir.path());
    ASSERT_TRUE(sheet.Open("cz_text.cbf"));
    EXPECT_TRUE(sheet.IsScrambled());
    EXPECT_EQ(sheet.ReadText(id("FF0000000001")), "\xC8"
                                                  "e\xB9tina");

    ASSERT_EQ(runMktextlib({"--lang", "cz", "--scrambled-name", source, dir.path()}), 0);
    EXPECT_TRUE(fileExists(dir.file(libname::ScrambledFileName("cz_text."))));
}

TEST(Mktextlib, RefusesWithoutWritingAnything) {
    TempDir dir;
    const std::string source = dir.write("en.txt", std::string("FF0000000001  Čeština\n"));
    EXPECT_EQ(runMktextlib({"--lang", "en", source, dir.path()}), 1);
    EXPECT_EQ(runMktextlib({"--lang", "xx", source, dir.path()}), 1);
    EXPECT_EQ(runMktextlib({"--lang", "en", dir.file("missing.txt"), dir.path()}), 1);
    EXPECT_EQ(runMktextlib({"--lang", "en", source}), 2);
    EXPECT_EQ(dir.list(), std::vector<std::string>{"en.txt"});
}

} // namespace
