#include "Profile.h"

#include "safefile.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <climits>
#include <mutex>
#include <optional>

namespace CProfile {

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kComment[] = "//";
constexpr char kWhiteSpace[] = " \t\r\n\v\f";
constexpr char kOpenError[] = "Write error";
constexpr char kWriteFailure[] = "Write Error";

std::mutex g_handlerMutex;
CTextFile::MessageHandler g_handler;

void report(const QString& message) {
    CTextFile::MessageHandler handler;
    {
        std::lock_guard<std::mutex> lock(g_handlerMutex);
        handler = g_handler;
    }
    if (handler) handler(message);
}

std::string trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(kWhiteSpace);
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(kWhiteSpace) - first + 1);
}

// A header holds "[" and, after it, "]", with no comment mark before the "]".
std::optional<std::string> headerName(const std::string& line) {
    const size_t open = line.find('[');
    if (open == std::string::npos) return std::nullopt;
    const size_t close = line.find(']', open + 1);
    if (close == std::string::npos) return std::nullopt;
    const size_t comment = line.find(kComment);
    if (comment != std::string::npos && comment < close) return std::nullopt;
    return line.substr(open + 1, close - open - 1);
}

// Position of the "=" of an entry line: one with no comment mark before its first "=".
std::optional<size_t> entryEquals(const std::string& line) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return std::nullopt;
    const size_t comment = line.find(kComment);
    if (comment != std::string::npos && comment < eq) return std::nullopt;
    return eq;
}

// Equality of the trimmed name, so that a key never matches a longer key that contains it (QM6 and QM64).
bool isEntryOf(const std::string& line, const std::string& key, size_t& eq) {
    const auto pos = entryEquals(line);
    if (!pos || trimmed(line.substr(0, *pos)) != key) return false;
    eq = *pos;
    return true;
}

std::string entryValue(const std::string& line, size_t eq) {
    std::string value = line.substr(eq + 1);
    const size_t comment = value.find(kComment);
    if (comment != std::string::npos) value.resize(comment);
    return trimmed(value);
}

bool hasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

// True when "key = value" would be read back as the entry key with the value given (less outer blanks) in section.
bool readsBack(const std::string& section, const std::string& key, const std::string& value) {
    if (hasLineBreak(section) || section.find(']') != std::string::npos || section.find(kComment) != std::string::npos)
        return false;
    if (key.empty() || key != trimmed(key) || hasLineBreak(key) || key.find_first_of("=[]") != std::string::npos ||
        key.find(kComment) != std::string::npos)
        return false;
    if (hasLineBreak(value)) return false;
    const std::string line = key + " = " + value + kLineEnd;
    size_t eq = 0;
    return !headerName(line) && isEntryOf(line, key, eq) && entryValue(line, eq) == trimmed(value);
}

bool isWritableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

int parseLikeAtoi(const std::string& s) {
    size_t i = s.find_first_not_of(kWhiteSpace);
    if (i == std::string::npos) return 0;
    bool negative = false;
    if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
    long long value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break; // saturate below; digits beyond change nothing
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return int(value);
}

} // namespace

CTextFile::~CTextFile() = default;

bool CTextFile::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return false;
    SetContent(bytes.toStdString());
    return true;
}

void CTextFile::SetContent(std::string bytes) {
    m_bytes = std::move(bytes);
    m_pos = 0;
}

bool CTextFile::ReadLine(std::string& line) {
    if (m_pos >= m_bytes.size()) return false;
    size_t end = m_bytes.find_first_of("\r\n", m_pos);
    if (end == std::string::npos) {
        end = m_bytes.size();
    } else if (m_bytes[end] == '\r' && end + 1 < m_bytes.size() && m_bytes[end + 1] == '\n') {
        end += 2;
    } else {
        end += 1;
    }
    line.assign(m_bytes, m_pos, end - m_pos);
    m_pos = end;
    return true;
}

QString CTextFile::GetConfigString(const QString& path, const QString& section, const QString& key,
                                   const QString& defaultValue) {
    CTextFile file;
    if (!file.Load(path)) return defaultValue;
    const std::string wantedSection = section.toStdString();
    const std::string wantedKey = key.toStdString();
    bool inSection = false;
    std::string line;
    while (file.ReadLine(line)) {
        const auto header = headerName(line);
        if (!inSection) {
            inSection = header && *header == wantedSection;
            continue;
        }
        if (header) break;
        size_t eq = 0;
        if (isEntryOf(line, wantedKey, eq)) return QString::fromStdString(entryValue(line, eq));
    }
    return defaultValue;
}

bool CTextFile::SetConfigString(const QString& path, const QString& section, const QString& key, const QString& value) {
    const std::string sec = section.toStdString();
    const std::string k = key.toStdString();
    const std::string v = value.toStdString();
    if (!readsBack(sec, k, v)) {
        // Nothing is written: the user hears so in the box's words; why is for the log.
        qWarning("The setting \"%s\" of [%s] cannot hold \"%s\" (a line break, \"//\", a bracket or \"=\" where "
                 "they would change the file); %s was left unchanged.",
                 qUtf8Printable(key), qUtf8Printable(section), qUtf8Printable(value),
                 qUtf8Printable(QFileInfo(path).fileName()));
        report(QString::fromLatin1(kOpenError));
        return false;
    }
    CTextFile file;
    // The file is shipped with pluvo and never created here; an unreadable one is not overwritten either.
    if (!isWritableFile(path) || !file.Load(path)) {
        report(QString::fromLatin1(kOpenError));
        return false;
    }

    const std::string entry = k + " = " + v + kLineEnd;
    std::string out;
    out.reserve(file.m_bytes.size() + entry.size() + sec.size() + 8);
    bool inSection = false;
    bool done = false;
    std::string line;
    while (file.ReadLine(line)) {
        if (done) {
            out += line;
            continue;
        }
        const auto header = headerName(line);
        size_t eq = 0;
        if (!inSection) {
            inSection = header && *header == sec;
        } else if (header) {
            out += entry;
            done = true;
        } else if (isEntryOf(line, k, eq)) {
            line = line.substr(0, eq) + "= " + v + kLineEnd;
            done = true;
        }
        out += line;
    }
    if (!done) {
        if (!inSection) {
            out += std::string(kLineEnd) + "[" + sec + "]" + kLineEnd;
        } else if (!out.empty() && out.back() != '\n' && out.back() != '\r') {
            out += kLineEnd; // the last line had no line end; the entry must not join it
        }
        out += entry;
    }

    if (!safefile::ReplaceFile(QFile::encodeName(path).toStdString(), out.data(), out.size())) {
        report(QString::fromLatin1(kWriteFailure));
        return false;
    }
    return true;
}

int CTextFile::GetConfigInt(const QString& path, const QString& section, const QString& key, int defaultValue) {
    return parseLikeAtoi(GetConfigString(path, section, key, QString::number(defaultValue)).toStdString());
}

bool CTextFile::SetConfigInt(const QString& path, const QString& section, const QString& key, int value) {
    return SetConfigString(path, section, key, QString::number(value));
}

void CTextFile::SetMessageHandler(MessageHandler handler) {
    std::lock_guard<std::mutex> lock(g_handlerMutex);
    g_handler = std::move(handler);
}

} // namespace CProfile
