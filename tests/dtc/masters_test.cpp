// The DTC masters: one list of generic codes, unique and in range order (P, C, B, U, each ascending), the same in
// all 14 languages, none from a block the makers control, and every description its own in each language.
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

const QStringList kLanguages = {"en", "de", "es", "fr", "hu", "it", "nl", "pl", "pt", "ru", "se", "sk", "cz", "cn"};

struct Entry {
    QString code;
    QString description;
};

std::vector<Entry> master(const QString& lang) {
    QFile f(QStringLiteral(DTC_MASTERS_DIR) + "/" + lang + ".txt");
    if (!f.open(QIODevice::ReadOnly)) return {};
    QString text = QString::fromUtf8(f.readAll());
    if (text.endsWith('\n')) text.chop(1);
    std::vector<Entry> out;
    for (const QString& line : text.split('\n'))
        out.push_back({line.section(' ', 0, 0), line.section(' ', 1)});
    return out;
}

// The order both programs rely on: pluvo searches the P, C, B and U codes as four consecutive ranges.
int rangeOf(const QString& code) {
    return QStringLiteral("PCBU").indexOf(code.at(0));
}

// Generic blocks: P0 (with P0A00-P0DFF), P2 (with P2A00-P2BFF), P3400-P3499, B0, C0, U0. P1, P30-P33, B1-B3, C1-C3 and
// U1-U3 belong to the makers.
bool generic(const QString& code) {
    return code.at(1) == '0' || code.startsWith("P2") || code.startsWith("P34");
}

TEST(DtcMasters, OneCodeListUniqueInRangeOrderInEveryLanguage) {
    const std::vector<Entry> english = master("en");
    ASSERT_GE(english.size(), 4612u);
    const QRegularExpression form("^[PCBU][0-3][0-9A-F]{3}$");
    for (size_t i = 0; i < english.size(); ++i) {
        const QString& code = english[i].code;
        EXPECT_TRUE(form.match(code).hasMatch()) << code.toStdString();
        EXPECT_TRUE(generic(code)) << code.toStdString();
        if (i == 0) continue;
        const QString& before = english[i - 1].code;
        // Strictly ascending within a range, so no code twice; the ranges themselves in the order P, C, B, U.
        EXPECT_TRUE(rangeOf(before) < rangeOf(code) || (rangeOf(before) == rangeOf(code) && before < code))
            << before.toStdString() << " before " << code.toStdString();
    }
    for (const QString& lang : kLanguages) {
        const std::vector<Entry> entries = master(lang);
        ASSERT_EQ(entries.size(), english.size()) << lang.toStdString();
        for (size_t i = 0; i < entries.size(); ++i)
            ASSERT_EQ(entries[i].code, english[i].code) << lang.toStdString() << " line " << i + 1;
    }
}

TEST(DtcMasters, EveryDescriptionIsWrittenOutAndItsOwn) {
    for (const QString& lang : kLanguages) {
        QSet<QString> seen;
        for (const Entry& e : master(lang)) {
            const std::string where = lang.toStdString() + " " + e.code.toStdString();
            EXPECT_FALSE(e.description.isEmpty()) << where;
            EXPECT_EQ(e.description, e.description.trimmed()) << where;
            EXPECT_FALSE(e.description.contains("  ")) << where;
            // A template's placeholder, a separator or a code page's stand-in left in the text.
            EXPECT_FALSE(e.description.contains(QRegularExpression("[{}|?\\r\\t]"))) << where;
            // Two codes with one text would leave the mechanic guessing which of them the car means.
            EXPECT_FALSE(seen.contains(e.description)) << where << ": " << e.description.toStdString();
            seen.insert(e.description);
        }
    }
}

// Inside a description a module's or a fault's name keeps no capital it only had for beginning one: after a comma, a
// colon, a bracket or a preposition every language but English, German and Chinese writes a common noun in lower
// case. A capital there is the mark of a name pasted in as it stands, which in Russian, Polish, Czech and Slovak
// also means a nominative after a preposition that governs another case.
TEST(DtcMasters, NamesInsideADescriptionAreWrittenAsInASentence) {
    const QMap<QString, QString> prepositions = {
        {"es", "con|de|del|a|al|en|para|por|sin"},
        {"fr", "avec|de|du|des|à|au|en|pour|par|sans"},
        {"hu", ""},
        {"it", "con|di|da|del|della|dal|dalla|a|in|per|su"},
        {"nl", "met|van|voor|naar|in|op|bij|uit|aan"},
        {"pl", "z|ze|od|do|dla|w|we|na|przez|przy|o|po|bez|za"},
        {"pt", "com|de|do|da|dos|das|a|ao|em|no|na|para|por|sem"},
        {"ru", "с|со|от|для|к|в|во|на|по|из|у|о|об|при|без|за|до"},
        {"se", "med|från|för|till|i|på|vid|av"},
        {"sk", "s|so|z|zo|od|do|pre|v|vo|na|k|ku|pri|o|po|bez|za"},
        {"cz", "s|se|z|ze|od|do|pro|v|ve|na|k|ke|při|o|po|bez|za"},
    };
    for (auto it = prepositions.begin(); it != prepositions.end(); ++it) {
        // A capital followed by a small letter, or a one-letter word before one ("A carico elevato"): an ordinary
        // word, not an acronym (ABS, NOx, O2) or a designation (A/B).
        QString pattern = "(, |: |\\()\\p{Lu} ?\\p{Ll}";
        if (!it.value().isEmpty()) pattern += "|(?<!\\S)(" + it.value() + ") \\p{Lu}\\p{Ll}";
        const QRegularExpression capital(pattern, QRegularExpression::UseUnicodePropertiesOption);
        ASSERT_TRUE(capital.isValid()) << it.key().toStdString();
        int shown = 0;
        for (const Entry& e : master(it.key()))
            if (capital.match(e.description).hasMatch() && shown++ < 5)
                ADD_FAILURE() << it.key().toStdString() << " " << e.code.toStdString() << ": "
                              << e.description.toStdString();
    }
}

// Where a family runs past a code ending in 9 it counts on in hexadecimal in some blocks and in decimal in others,
// and a module series shares one order across three blocks: one step wrong shifts every meaning after it. These
// codes sit where such a shift would show.
TEST(DtcMasters, CountedFamiliesLandOnTheStandardsCodes) {
    QMap<QString, QString> english;
    for (const Entry& e : master("en"))
        english.insert(e.code, e.description);
    const QMap<QString, QString> expected = {
        {"P02C9", "Cylinder 12 Injector Leaking"},
        {"P068C", "Cylinder 7 Glow Plug Control Circuit Low"},
        {"P073A", "Stuck in Gear 5"},
        {"P074A", "Unable to Engage Gear 2"},
        {"P2819", "Pressure Control Solenoid H Electrical"},
        {"P281A", "Pressure Control Solenoid H Intermittent"},
        {"P281E", "Pressure Control Solenoid H Control Circuit High"},
        {"P281F", "Pressure Control Solenoid J"},
        {"P2820", "Pressure Control Solenoid J Performance or Stuck Off"},
        {"P2827", "Pressure Control Solenoid J Control Circuit High"},
        {"P2828", "Pressure Control Solenoid K"},
        {"P2830", "Pressure Control Solenoid K Control Circuit High"},
        {"P283A", "Shift Fork B Position Circuit Intermittent"},
        {"P2472", "Exhaust Gas Temperature Sensor Circuit Intermittent/Erratic (Bank 1 Sensor 4)"},
        {"P2680", "Coolant Degassing Valve Control Circuit High"},
        {"P2A10", "O2 Sensor Negative Voltage (Bank 2 Sensor 2)"},
        {"U0116", "Lost Communication With Coolant Temperature Control Module"},
        {"U0132", "Lost Communication With Suspension Control Module A"},
        {"U0304", "Software Incompatibility With Gear Shift Control Module A"},
        {"U0421", "Invalid Data Received From Suspension Control Module A"},
    };
    for (auto it = expected.begin(); it != expected.end(); ++it)
        EXPECT_EQ(english.value(it.key()).toStdString(), it.value().toStdString()) << it.key().toStdString();
}

} // namespace
