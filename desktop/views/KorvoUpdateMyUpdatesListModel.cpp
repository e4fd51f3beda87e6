#include "KorvoUpdateMyUpdatesListModel.h"

#include "Log.h"
#include "packagename.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

namespace {
constexpr double kBytesPerKilobyte = 1024.0;
} // namespace

QString KorvoUpdateMyUpdatesListModel::sizeText(qint64 bytes) {
    const double k = double(bytes) / kBytesPerKilobyte;
    if (k > kBytesPerKilobyte) return QString::asprintf("%.1fMB", k / kBytesPerKilobyte);
    return QString::asprintf("%.1fKB", k);
}

double KorvoUpdateMyUpdatesListModel::versionValue(const QString& version) {
    if (version.size() < 2) return 0;
    // The leading decimal number counts ("1.2.3" reads as 1.2); no number at all reads as 0.
    static const QRegularExpression leadingNumber(QStringLiteral("^\\s*[+-]?(\\d+(\\.\\d*)?|\\.\\d+)"));
    const QRegularExpressionMatch m = leadingNumber.match(version.mid(1));
    return m.hasMatch() ? QLocale::c().toDouble(m.captured(0).trimmed()) : 0;
}

int KorvoUpdateMyUpdatesListModel::stateForStatus(int status) {
    switch (status) {
    case 1:
        return kStateFlashing;
    case 2:
        return kStateDone;
    case -1:
        return kStateFailed;
    default:
        return kStateIdle;
    }
}

KorvoUpdateMyUpdatesListModel::Rows KorvoUpdateMyUpdatesListModel::rowsForPackages(const QStringList& allBins,
                                                                                   const QString& model,
                                                                                   const QString& languageCode) {
    Rows rows;
    for (const QString& path : allBins) {
        const QFileInfo info(path);
        const auto fields = firmware::splitPackageFileName(info.fileName().toStdString());
        if (!fields) continue;
        if (QString::fromStdString(fields->model) != model) continue;
        if (QString::fromStdString(fields->language) != languageCode) continue;
        auto row = std::make_shared<KorvoUpdateMyUpdatesListModel>();
        row->fileName = QString::fromStdString(fields->model);
        row->version = QString::fromStdString(fields->version);
        row->fileLan = QString::fromStdString(fields->language);
        row->fileDate = QString::fromStdString(fields->date);
        row->filePath = path;
        if (info.exists()) {
            row->fileSize = info.size();
            row->fileSizeTxt = sizeText(row->fileSize);
        } else {
            row->fileSizeTxt = "0KB";
            syslogline::write("Error: cannot read the size of " + path.toStdString());
        }
        rows.push_back(std::move(row));
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return versionValue(a->version) < versionValue(b->version); });
    return rows;
}
