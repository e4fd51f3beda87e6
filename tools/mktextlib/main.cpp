// mktextlib: compiles one language's text table (UTF-8) into the text library pluvo reads.
//   mktextlib --lang xx [--codepage N] [--scramble] [--scrambled-name] SOURCE OUTPUT_FOLDER
// writes OUTPUT_FOLDER/xx_text.cbf in the language's code page (or N), scrambled with a key derived from the
// language code when asked, and under the scrambled fallback name with --scrambled-name.
#include "libname.h"
#include "safefile.h"
#include "textlib.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr int kUsageError = 2;

int usage() {
    std::fprintf(stderr, "usage: mktextlib --lang xx [--codepage N] [--scramble] [--scrambled-name] "
                         "SOURCE OUTPUT_FOLDER\n");
    return kUsageError;
}

int fail(const std::string& source, const std::string& message) {
    std::fprintf(stderr, "mktextlib: %s: %s\n", source.c_str(), message.c_str());
    return EXIT_FAILURE;
}

} // namespace

int main(int argc, char** argv) {
    std::string lang, source, folder;
    int codePage = 0;
    bool scramble = false, scrambledName = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--lang" && i + 1 < argc) {
            lang = argv[++i];
        } else if (arg == "--codepage" && i + 1 < argc) {
            codePage = std::atoi(argv[++i]);
        } else if (arg == "--scramble") {
            scramble = true;
        } else if (arg == "--scrambled-name") {
            scrambledName = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return usage();
        } else if (source.empty()) {
            source = arg;
        } else if (folder.empty()) {
            folder = arg;
        } else {
            return usage();
        }
    }
    if (lang.empty() || source.empty() || folder.empty()) return usage();
    if (codePage == 0) codePage = mktextlib::CodePageOfLibrary(lang);
    if (codePage == 0) return fail(source, "no language uses the library code \"" + lang + "\"; give --codepage");

    std::ifstream in(source, std::ios::binary);
    if (!in) return fail(source, "cannot be read");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    std::vector<mktextlib::TextEntry> entries;
    std::vector<mktextlib::Record> records;
    std::vector<uint8_t> bytes;
    std::string error;
    mktextlib::Options options;
    options.scrambled = scramble;
    if (scramble) options.fileKey = mktextlib::MakeFileKey(lang);
    if (!mktextlib::ParseTextTable(text, entries, error) ||
        !mktextlib::EncodeEntries(entries, codePage, records, error) ||
        !mktextlib::BuildLibrary(records, options, bytes, error))
        return fail(source, error);

    std::string name = lang + libname::kLibrarySuffix;
    if (scrambledName) name = libname::ScrambledFileName(name.substr(0, name.size() - 3));
    if (!folder.empty() && folder.back() != '/') folder += '/';
    if (!safefile::ReplaceFile(folder + name, bytes.data(), bytes.size(), &error)) return fail(source, error);
    return EXIT_SUCCESS;
}
