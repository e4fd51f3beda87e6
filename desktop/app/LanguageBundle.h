// One language folder (<code>.lproj) of the application's resources and its string tables (<table>.strings,
// "key" = "value"; lines with C comments). Tables are read on first use and kept; lookups are thread-safe.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>
#include <mutex>

class LanguageBundle {
public:
    // The bundle of an existing folder; nullptr when the path is empty or not a folder.
    static std::shared_ptr<LanguageBundle> bundleWithPath(const QString& path);

    const QString& bundlePath() const { return m_path; }
    // The text for key in table (default "Localizable"); a key the table lacks gives value, or the key itself when
    // value is empty.
    QString localizedString(const QString& key, const QString& value = {}, const QString& table = {}) const;

    // Parses the text of a strings table. Returns false and the 1-based line of the first error when the text is
    // malformed; the entries before the error are kept in table.
    static bool parseStrings(const QString& text, QHash<QString, QString>& table, int* errorLine = nullptr);
    // The text of a strings file: UTF-16 when it starts with a byte-order mark, else UTF-8; all of it.
    static QString decodeStrings(const QByteArray& data);

    explicit LanguageBundle(const QString& path);

private:
    const QHash<QString, QString>& table(const QString& name) const;

    QString m_path;
    mutable std::mutex m_mutex;
    mutable QHash<QString, QHash<QString, QString>> m_tables;
};
