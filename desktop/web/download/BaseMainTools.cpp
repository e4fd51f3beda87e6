#include "BaseMainTools.h"

#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateDownloadModel.h"

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

// The number a text begins with, 0 without one (a text's float value).
float floatValue(const QString& text) {
    const QString number = leadingNumber(text);
    bool ok = false;
    const float value = number.isEmpty() ? 0.f : float(QLocale::c().toDouble(number, &ok));
    return ok && std::isfinite(value) ? value : 0.f;
}

} // namespace

float BaseMainTools::getVersion(const QString& version) {
    const int v = version.indexOf(QLatin1Char('V'));
    return floatValue(v >= 0 ? version.mid(v + 1) : version);
}

bool BaseMainTools::isHasAppend(const QMap<QString, QString>& minimumVersions, const KorvoUpdateDownloadModel& model) {
    if (!model.filePath().contains(QLatin1String("APPEND"))) return false;
    const float r = getVersion(model.version());
    // A whole-number version is a full package, never an add-on.
    if (r == std::floor(r)) return false;
    const QString sdPath = model.sdPath();
    if (!KorvoUpdateCommonTool::isUsableText(sdPath)) return false;
    const auto minimum = minimumVersions.constFind(sdPath.toUpper());
    if (minimum == minimumVersions.constEnd()) return false;
    auto& tool = KorvoUpdateCommonTool::sharedTool();
    const QString installed = KorvoUpdateCommonTool::getVersionFromFilePath(tool.getSoftwarePath(model));
    if (installed.isEmpty()) return false;
    const float i = getVersion(installed);
    // An add-on of a newer major version than the one installed does not fit it.
    if (std::floor(r) - std::floor(i) > 0) return false;
    return i >= floatValue(minimum.value());
}
