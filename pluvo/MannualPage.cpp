#include "MannualPage.h"

#include "Fonts.h"
#include "TextIds.h"
#include "TextLibrary.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QUrl>

namespace {
constexpr int kListId = 1027;
constexpr int kRightGap = 20;
// xdg-mime answers from the MIME database at once; a hung helper must not freeze the page.
constexpr int kQueryTimeoutMs = 3000;

QString text(const TextId& id) {
    return pluvo::adsGetStdText_CString(MakeTextId(id));
}

// A document in its grid cell: the icon centred at the top, the label wrapped under it. Qt's icon view lays a
// label out on the icon's width and cuts it after a word or two.
class DocumentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(CMannualPage::kGridWidth, CMannualPage::kGridHeight);
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem o(option);
        initStyleOption(&o, index);
        const QWidget* w = o.widget;
        QStyle* style = w ? w->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &o, p, w);
        const QRect icon(o.rect.left() + (o.rect.width() - CMannualPage::kIconSize) / 2,
                         o.rect.top() + CMannualPage::kCellMargin, CMannualPage::kIconSize, CMannualPage::kIconSize);
        o.icon.paint(p, icon);
        const QRect label = CMannualPage::LabelRect(o.rect);
        p->save();
        p->setFont(o.font);
        p->setPen(o.palette.color(o.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        p->drawText(label, Qt::AlignHCenter | Qt::AlignTop,
                    CMannualPage::LabelLines(o.text, o.font, label.width()).join(QLatin1Char('\n')));
        p->restore();
    }
};

// By content, not by the executable bit alone: files copied from a FAT stick carry that bit, documents too.
bool isProgram(const QMimeType& type) {
    return type.inherits(QStringLiteral("application/x-executable")) ||
           type.inherits(QStringLiteral("application/x-sharedlib"));
}
} // namespace

CMannualPage::CMannualPage(QWidget* parent) : CDialog(parent), m_list(new QListWidget(this)) {
    setObjectName(QStringLiteral("page%1").arg(kTemplateId));
    m_list->setObjectName(QStringLiteral("list%1").arg(kListId));
    m_list->setViewMode(QListView::IconMode);
    m_list->setGridSize(QSize(kGridWidth, kGridHeight));
    m_list->setIconSize(QSize(kIconSize, kIconSize));
    m_list->setItemDelegate(new DocumentDelegate(m_list));
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setWordWrap(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { OnNMDblclkManualList(item); });
    m_list->viewport()->installEventFilter(this);
    connect(m_list, &QListWidget::itemClicked, this, &CMannualPage::OnNMClickManualList);
}

QString CMannualPage::manualFolder() const {
    return QDir(m_folder + QStringLiteral("manual")).absolutePath() + QLatin1Char('/');
}

void CMannualPage::OnInitDialog() {
    m_list->setFont(SmallFont());
    m_list->clear();
    m_viewer.clear();
    QMimeDatabase mimes;
    const QFileInfoList entries =
        QDir(manualFolder()).entryInfoList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        if (name.size() < kMinNameLength) continue;
        if (entry.isFile() && entry.isExecutable() && isProgram(mimes.mimeTypeForFile(entry.filePath()))) {
            m_viewer = name; // a later one replaces an earlier one
            continue;
        }
        const QMimeType type = mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
        if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_FileIcon);
        auto* item = new QListWidgetItem(icon, name, m_list);
        item->setToolTip(name);
    }
}

QString CMannualPage::DefaultApplication(const QString& path) {
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(kQueryTimeoutMs)) {
        query.kill();
        query.waitForFinished();
        return QString();
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) return QString();
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

QRect CMannualPage::LabelRect(const QRect& cell) {
    return QRect(QPoint(cell.left() + kCellMargin, cell.top() + 2 * kCellMargin + kIconSize),
                 QPoint(cell.right() - kCellMargin, cell.bottom()));
}

QStringList CMannualPage::LabelLines(const QString& label, const QFont& font, int width) {
    QTextLayout layout(label, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(1, width));
        if (lines.size() == kLabelLines - 1) {
            // The last line takes what is left, cut with an ellipsis when it does not fit.
            lines << QFontMetrics(font).elidedText(label.mid(line.textStart()), Qt::ElideRight, width);
            break;
        }
        lines << label.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

bool CMannualPage::OnNMDblclkManualList(QListWidgetItem* item) {
    if (!item) return false;
    const QString document = manualFolder() + item->text();
    if (!DefaultApplication(document).isEmpty()) {
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(document))) return true;
        qWarning("The desktop could not start its program for %s", qUtf8Printable(document));
        showOpenError(text(textid::kManualProgramFailed));
        return false;
    }
    if (m_viewer.isEmpty()) {
        showOpenError(
            QString::asprintf("%s : %d", text(textid::kManualOpenError).toUtf8().constData(), ERROR_NO_ASSOCIATION));
        return false;
    }
    // Paths as arguments, never a command line: a name with blanks or quotes stays one argument.
    QProcess viewer;
    viewer.setProgram(manualFolder() + m_viewer);
    viewer.setArguments({document});
    viewer.setWorkingDirectory(manualFolder());
    qint64 pid = 0;
    if (!viewer.startDetached(&pid)) {
        qWarning("%s could not be started: %s", qUtf8Printable(viewer.program()), qUtf8Printable(viewer.errorString()));
        showOpenError(text(textid::kManualProgramFailed));
        return false;
    }
    return true;
}

void CMannualPage::showOpenError(const QString& message) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("pluvo"), message, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("manualOpenError"));
    box.exec();
}

void CMannualPage::OnNMClickManualList(QListWidgetItem* item) {
    if (m_setStatus) m_setStatus(item ? item->text() : text(textid::kManualHint));
}

bool CMannualPage::eventFilter(QObject* watched, QEvent* e) {
    // A click that hits no item still tells the user what the page is for.
    if (watched == m_list->viewport() && e->type() == QEvent::MouseButtonPress) {
        const auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() == Qt::LeftButton && !m_list->itemAt(me->pos())) OnNMClickManualList(nullptr);
    }
    return CDialog::eventFilter(watched, e);
}

void CMannualPage::resizeEvent(QResizeEvent* e) {
    CDialog::resizeEvent(e);
    m_list->setGeometry(0, 0, width() - kRightGap, height());
}
