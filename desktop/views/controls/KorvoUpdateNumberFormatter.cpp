#include "KorvoUpdateNumberFormatter.h"

KorvoUpdateNumberFormatter::KorvoUpdateNumberFormatter(QObject* parent) : QValidator(parent) {}

bool KorvoUpdateNumberFormatter::isPartialStringValid(const QString& partialString, QString*, QString*) const {
    if (partialString.isEmpty()) return true;
    int i = 0;
    const int n = partialString.size();
    while (i < n && partialString.at(i).isSpace())
        ++i;
    if (i < n && (partialString.at(i) == QLatin1Char('+') || partialString.at(i) == QLatin1Char('-'))) ++i;
    const int digitsStart = i;
    while (i < n && partialString.at(i) >= QLatin1Char('0') && partialString.at(i) <= QLatin1Char('9'))
        ++i;
    if (i == digitsStart) return false;
    while (i < n && partialString.at(i).isSpace())
        ++i;
    return i == n;
}

QValidator::State KorvoUpdateNumberFormatter::validate(QString& input, int&) const {
    return isPartialStringValid(input, nullptr, nullptr) ? Acceptable : Invalid;
}
