#include "BaseMainTools.h"

#include <QLocale>

#include <cmath>

namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The longest leading decimal number of text after leading white space: sign, digits, fraction, exponent.
QString leadingNumber(const QString& text) {
    int i = 0;
    const int n = text.size();
    while (i < n && text.at(i).isSpace())
        ++i;
    const int begin = i;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) ++i;
    int digits = 0;
    while (i < n && isDigit(text.at(i)))
        ++i, ++digits;
    if (i < n && text.at(i) == QLatin1Char('.')) {
        int j = i + 1;
        while (j < n && isDigit(text.at(j)))
            ++j, ++digits;
        i = j;
    }
    if (digits == 0) return {};
    if (i < n && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        int j = i + 1;
        if (j < n && (text.at(j) == QLatin1Char('+') || text.at(j) == QLatin1Char('-'))) ++j;
        if (j < n && isDigit(text.at(j))) {
            while (j < n && isDigit(text.at(j)))
                ++j;
            i = j;
        }
    }
    return text.mid(begin, i - begin);
}

} // namespace

float BaseMainTools::getVersion(const QString& version) {
    QString text = version;
    const int v = text.indexOf(QLatin1Char('V'));
    if (v >= 0) text = text.mid(v + 1);
    const QString number = leadingNumber(text);
    if (number.isEmpty()) return 0;
    // The C locale keeps "." the decimal point whatever the user's locale.
    bool ok = false;
    const float value = float(QLocale::c().toDouble(number, &ok));
    return ok && std::isfinite(value) ? value : 0;
}
