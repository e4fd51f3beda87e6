// CProfile::CTextFile: pluvo's own reader and writer of pluvo.cfg: "[section]" headers, "key = value" entries and
// "//" comments, lines ending with CR LF (CR or LF alone are read too), UTF-8 text.
// Every call loads the file anew. A write goes to a temporary file renamed into place and never creates a file
// that is missing; failures are reported to the message handler ("Write error", "Write Error"). Interface thread.
#pragma once

#include <QString>

#include <functional>
#include <string>

namespace CProfile {

class CTextFile {
public:
    using MessageHandler = std::function<void(const QString& message)>;

    CTextFile() = default;
    virtual ~CTextFile();

    bool Load(const QString& path);
    void SetContent(std::string bytes);
    // The next line with the line end it had (CR LF, CR or LF; none at the end of the file). False at the end.
    bool ReadLine(std::string& line);

    // The value of key in section, or defaultValue when the file cannot be read, the section is missing or the key
    // is not in it. An entry with nothing after its "=" gives the empty text.
    static QString GetConfigString(const QString& path, const QString& section, const QString& key,
                                   const QString& defaultValue);
    // Replaces the key's entry, or adds it as the last line of its section, or appends the section. Refuses a key
    // or value that would not read back as given (line breaks, "//", brackets, "=" in the key).
    static bool SetConfigString(const QString& path, const QString& section, const QString& key, const QString& value);
    // Read like atoi (leading blanks, optional sign, digits; no digits give 0).
    static int GetConfigInt(const QString& path, const QString& section, const QString& key, int defaultValue);
    static bool SetConfigInt(const QString& path, const QString& section, const QString& key, int value);

    // Shows failures to the user (pluvo puts up a message box); none by default.
    static void SetMessageHandler(MessageHandler handler);

private:
    std::string m_bytes;
    size_t m_pos = 0;
};

} // namespace CProfile
