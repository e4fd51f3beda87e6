#include "LanguageBundle.h"

#include "Log.h"

#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

namespace {
constexpr char kDefaultTable[] = "Localizable";

class StringsParser {
public:
    explicit StringsParser(const QString& text) : m_text(text) {}

    bool parse(QHash<QString, QString>& table) {
        for (;;) {
            skipSpaceAndComments();
            if (m_failed) return false;
            if (atEnd()) return true;
            QString key, value;
            if (!quoted(key)) return false;
            skipSpaceAndComments();
            if (!expect('=')) return false;
            skipSpaceAndComments();
            if (!quoted(value)) return false;
            skipSpaceAndComments();
            if (!expect(';')) return false;
            table.insert(key, value);
        }
    }
    int line() const { return m_line; }

private:
    static int hexDigit(QChar c) {
        const ushort u = c.unicode();
        if (u >= '0' && u <= '9') return u - '0';
        if (u >= 'a' && u <= 'f') return u - 'a' + 10;
        if (u >= 'A' && u <= 'F') return u - 'A' + 10;
        return -1;
    }
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek(int ahead = 0) const { return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : QChar(); }
    QChar take() {
        const QChar c = m_text[m_pos++];
        if (c == '\n') ++m_line;
        return c;
    }
    bool expect(QChar c) {
        if (atEnd() || peek() != c) return false;
        take();
        return true;
    }
    void skipSpaceAndComments() {
        while (!atEnd()) {
            // NUL bytes between entries (padding some editors leave) are skipped like spaces.
            if (peek().isSpace() || peek() == QChar(0xFEFF) || peek().isNull()) {
                take();
            } else if (peek() == '/' && peek(1) == '/') {
                while (!atEnd() && peek() != '\n')
                    take();
            } else if (peek() == '/' && peek(1) == '*') {
                take();
                take();
                while (!atEnd() && !(peek() == '*' && peek(1) == '/'))
                    take();
                if (atEnd()) {
                    m_failed = true;
                    return;
                }
                take();
                take();
            } else {
                return;
            }
        }
    }
    bool quoted(QString& out) {
        if (!expect('"')) return false;
        while (!atEnd()) {
            const QChar c = take();
            if (c == '"') return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (atEnd()) return false;
            const QChar e = take();
            switch (e.unicode()) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'U':
            case 'u': {
                // Exactly four hexadecimal digits: toUInt alone would also take blanks, a sign or "0x".
                uint code = 0;
                for (int i = 0; i < 4; ++i) {
                    const int digit = hexDigit(peek(i));
                    if (digit < 0) return false;
                    code = code << 4 | uint(digit);
                }
                m_pos += 4;
                out += QChar(code);
                break;
            }
            default:
                out += e;
                break; // \" \\ and any other escaped character stand for themselves
            }
        }
        return false;
    }

    const QString& m_text;
    int m_pos = 0;
    int m_line = 1;
    bool m_failed = false;
};
} // namespace

QString LanguageBundle::decodeStrings(const QByteArray& data) {
    // The whole file, NUL bytes included: QString::fromUtf8(QByteArray) would stop at the first one.
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
        if (QTextCodec* codec = QTextCodec::codecForName("UTF-16")) return codec->toUnicode(data);
    }
    return QString::fromUtf8(data.constData(), data.size());
}

std::shared_ptr<LanguageBundle> LanguageBundle::bundleWithPath(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isDir()) return nullptr;
    return std::make_shared<LanguageBundle>(path);
}

LanguageBundle::LanguageBundle(const QString& path) : m_path(path) {}

bool LanguageBundle::parseStrings(const QString& text, QHash<QString, QString>& table, int* errorLine) {
    StringsParser parser(text);
    const bool ok = parser.parse(table);
    if (!ok && errorLine) *errorLine = parser.line();
    return ok;
}

const QHash<QString, QString>& LanguageBundle::table(const QString& name) const {
    auto it = m_tables.find(name);
    if (it != m_tables.end()) return *it;
    QHash<QString, QString> entries;
    QFile file(m_path + "/" + name + ".strings");
    if (file.open(QIODevice::ReadOnly)) {
        int line = 0;
        if (!parseStrings(decodeStrings(file.readAll()), entries, &line))
            syslogline::write("Strings table " + file.fileName().toStdString() + " is malformed at line " +
                              std::to_string(line) + "; the texts after it show their keys");
    }
    return *m_tables.insert(name, entries);
}

QString LanguageBundle::localizedString(const QString& key, const QString& value, const QString& tableName) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const QHash<QString, QString>& entries = table(tableName.isEmpty() ? QString(kDefaultTable) : tableName);
    auto it = entries.find(key);
    if (it != entries.end()) return *it;
    return value.isEmpty() ? key : value;
}
