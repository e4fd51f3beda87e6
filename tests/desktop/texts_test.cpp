// Every text of the window, its alerts and its cells, in each of the ten languages, measured against the room its
// control gives it, with the font the control really draws in (so whatever fonts the machine has, the test asks the
// question of them).
#include "DevicePort.h"
#include "KorvoUpdateAlert.h"
#include "KorvoUpdateButton.h"
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateDownloadButton.h"
#include "KorvoUpdateMainViewController.h"
#include "KorvoUpdateMyUpdatesTableRowView.h"
#include "KorvoUpdateTabItemBgView.h"
#include "KorvoUpdateTableHeaderCell.h"
#include "KorvoUpdateTableView.h"
#include "KorvoUpdateWindow.h"
#include "UserDefaults.h"
#include "desktoptest.h"
#include "images.h"

#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>

namespace {

// A text this close to the edge of what holds it reads as cut.
constexpr int kMinGap = 2;

QStringList offeredLanguages() {
    QStringList codes = KorvoUpdateCommonTool::appSupportLanguagesNames().values();
    codes.sort();
    return codes;
}

QString describe(const QWidget* widget, const QString& text) {
    return QString("%1 \"%2\"").arg(widget->metaObject()->className(), text);
}

// The rectangle a label paints its text in, in its own coordinates.
QRect labelTextRect(const QLabel* label) {
    const QRect room =
        label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
    int flags = int(label->alignment());
    if (label->wordWrap()) flags |= Qt::TextWordWrap;
    return label->fontMetrics().boundingRect(room, flags, label->text());
}

class Measure {
public:
    explicit Measure(QString language) : m_language(std::move(language)) {}

    // The text must lie inside the widget and, kMinGap clear of their edges, inside each of its ancestors up to root.
    void textInside(const QWidget* widget, QRect text, const QWidget* root, const QString& what) {
        if (!widget->rect().contains(text)) {
            fail(what, QString("needs %1 x %2, has %3 x %4")
                           .arg(text.width())
                           .arg(text.height())
                           .arg(widget->width())
                           .arg(widget->height()));
            return;
        }
        for (const QWidget* w = widget; w && w != root; w = w->parentWidget()) {
            const QWidget* parent = w->parentWidget();
            if (!parent) break;
            text.translate(w->pos());
            if (!parent->rect().adjusted(kMinGap, 0, -kMinGap, 0).contains(text)) {
                fail(what, QString("reaches the edge of its %1").arg(parent->metaObject()->className()));
                return;
            }
        }
    }

    // How many texts were measured, so that a walk that finds none does not pass unseen.
    int measured() const { return m_measured; }

    void label(const QLabel* label, const QWidget* root) {
        if (label->text().isEmpty() || label->textFormat() == Qt::RichText) return;
        ++m_measured;
        const QString what = describe(label, label->text());
        const QRect room = label->contentsRect();
        if (label->wordWrap()) {
            for (const QString& word : label->text().split(' ', Qt::SkipEmptyParts))
                if (label->fontMetrics().horizontalAdvance(word) > room.width())
                    fail(what, QString("the word \"%1\" is wider than the label").arg(word));
        }
        textInside(label, labelTextRect(label), root, what);
    }

    // A KorvoUpdateButton draws its one line of text in its whole rectangle, centred unless told otherwise.
    void button(const KorvoUpdateButton* button, const QWidget* root) {
        if (button->text().isEmpty()) return;
        ++m_measured;
        const QString what = describe(button, button->text());
        const int width = button->fontMetrics().horizontalAdvance(button->text());
        if (width + 2 * kMinGap > button->width())
            fail(what, QString("needs %1 + %2, has %3").arg(width).arg(2 * kMinGap).arg(button->width()));
        textInside(button, QRect(0, 0, width, button->fontMetrics().height()).intersected(button->rect()), root, what);
    }

    void radio(const QRadioButton* radio, const QWidget* root) {
        ++m_measured;
        const QString what = describe(radio, radio->text());
        const QSize needed = radio->sizeHint();
        if (needed.width() > radio->width() || needed.height() > radio->height())
            fail(what, QString("needs %1 x %2, has %3 x %4")
                           .arg(needed.width())
                           .arg(needed.height())
                           .arg(radio->width())
                           .arg(radio->height()));
        (void)root;
    }

    // Every text control shown under root.
    void allUnder(const QWidget* root) {
        for (const QWidget* w : root->findChildren<const QWidget*>()) {
            if (!w->isVisibleTo(root)) continue;
            if (const auto* l = qobject_cast<const QLabel*>(w))
                label(l, root);
            else if (const auto* b = dynamic_cast<const KorvoUpdateButton*>(w); b && !isHeaderTitle(b))
                button(b, root);
            else if (const auto* r = qobject_cast<const QRadioButton*>(w))
                radio(r, root);
        }
    }

    // The titles over the columns: each stays inside its own column, where the next one's title begins.
    void headers(const KorvoUpdateTableView* table) {
        for (int column = 0; column < table->numberOfColumns(); ++column) {
            const KorvoUpdateTableHeaderCell* cell = table->headerCell(column);
            if (!cell || !cell->checkButton()) continue;
            const KorvoUpdateButton* title = cell->checkButton();
            ++m_measured;
            const QString what = describe(title, title->text());
            const QRect frame =
                KorvoUpdateTableHeaderCell::checkButtonFrame(QRect(0, 0, table->columnWidth(column), 1));
            const int right = frame.x() + title->fontMetrics().horizontalAdvance(title->text());
            if (right + kMinGap > table->columnWidth(column) - 1)
                fail(what, QString("ends at %1 in a column %2 wide").arg(right).arg(table->columnWidth(column)));
        }
    }

    bool isHeaderTitle(const KorvoUpdateButton* button) const {
        return qobject_cast<const QHeaderView*>(button->parentWidget() ? button->parentWidget()->parentWidget()
                                                                       : nullptr) != nullptr;
    }

    void fail(const QString& what, const QString& why) {
        ADD_FAILURE() << m_language.toStdString() << ": " << what.toStdString() << " " << why.toStdString();
    }

private:
    QString m_language;
    int m_measured = 0;
};

class Texts : public ::testing::Test {
protected:
    void SetUp() override { setenv("SCANTOOL_SERIAL_DIR", "/nonexistent", 1); }
    void TearDown() override {
        unsetenv("SCANTOOL_SERIAL_DIR");
        DevicePort::sharedManager().setCurName("");
        desktoptest::useEnglish();
    }
    static void use(const QString& language) {
        UserDefaults::standardUserDefaults().setObject(language, kUserLanguageKey);
        KorvoUpdateCommonTool::sharedTool().initBaseBundle();
    }
};

// The window in each language, every tab in turn, and the status bar with each of its texts.
TEST_F(Texts, EveryTextOfTheWindowFitsItsControlInEveryLanguage) {
    for (const QString& language : offeredLanguages()) {
        use(language);
        Measure measure(language);
        KorvoUpdateWindow window;
        auto* controller = new KorvoUpdateMainViewController;
        window.setContentViewController(std::unique_ptr<KorvoUpdateViewController>(controller));
        window.show();
        desktoptest::spin(20);
        for (int tab = 0; tab < KorvoUpdateTabView::kItemCount; ++tab) {
            controller->tabView()->onClick(tab);
            desktoptest::spin(20);
            window.grab(); // lays out and paints everything shown, the column titles too
            measure.allUnder(&window);
        }
        measure.headers(controller->myUpdatesView()->tableView());
        measure.headers(controller->searchDTCView()->tableView());

        KorvoUpdateTabItemBgView* status = controller->tabView()->btmView();
        for (const char* model : {"", "QM82"}) {
            DevicePort::sharedManager().setCurName(model);
            status->changeConnect(true);
            measure.allUnder(status);
        }
        status->changeConnect(false);
        measure.allUnder(status);
        for (int error : {EACCES, EBUSY, EIO}) {
            status->changePortError(error);
            measure.allUnder(status);
        }
        DevicePort::sharedManager().setCurName("");
        // Five tabs of the menu, bars, buttons, ten languages, seven column titles, six status texts at least.
        EXPECT_GT(measure.measured(), 5 * 10 + 7 + 6) << language.toStdString();
    }
}

// A row of the firmware list as it flashes, is done or failed: the state's text stays inside the progress column.
TEST_F(Texts, TheFlashingStatesFitTheProgressColumnInEveryLanguage) {
    for (const QString& language : offeredLanguages()) {
        use(language);
        Measure measure(language);
        KorvoUpdateWindow window;
        auto* controller = new KorvoUpdateMainViewController;
        window.setContentViewController(std::unique_ptr<KorvoUpdateViewController>(controller));
        window.show();
        desktoptest::spin(20);
        const KorvoUpdateTableView* list = controller->myUpdatesView()->tableView();
        const int progressColumn = KorvoUpdateSoftwareView::kColumnCount - 1;
        // A cell's size in the list: its column less the grid line, a row less the grid line.
        QWidget cell;
        cell.resize(list->columnWidth(progressColumn) - 1, KorvoUpdateSoftwareView::kRowHeight - 1);
        auto* row = new KorvoUpdateMyUpdatesTableRowView(&cell);
        row->setGeometry(cell.rect());
        row->setShowImage(KorvoUpdateMyUpdatesTableRowView::ProgressButton);
        cell.show();
        for (int state : {KorvoUpdateDownloadButton::kStateFlashing, KorvoUpdateDownloadButton::kStateDone,
                          KorvoUpdateDownloadButton::kStateFailed}) {
            row->setProgress(state == KorvoUpdateDownloadButton::kStateDone ? 1.0 : 0.57, state);
            measure.allUnder(&cell);
        }
        EXPECT_EQ(measure.measured(), 3 * 2) << language.toStdString(); // a percentage and a state, three times
    }
}

// The alerts of the window in each language: the flash confirmation, the stop warning, the unplugged tool, the
// manual that would not open (no viewer, or a viewer that failed).
TEST_F(Texts, EveryAlertFitsItsTextsInEveryLanguage) {
    for (const QString& language : offeredLanguages()) {
        use(language);
        Measure measure(language);
        const QString ok = localizedText("Update21");
        const QString cancel = localizedText("Update22");
        std::vector<std::unique_ptr<KorvoUpdateAlert>> alerts;
        alerts.push_back(KorvoUpdateAlert::alertWithTitle("Warning", localizedText("UpdateHint1"), ok, cancel));
        alerts.push_back(KorvoUpdateAlert::alertWithTitle("Warning", localizedText("UpdateHint5"), ok, cancel,
                                                          images::imageNamed("warning")));
        alerts.push_back(KorvoUpdateAlert::alertWithTitle(localizedText("Alert1"), localizedText("UpdateHint6"),
                                                          "QM82_V1.20_EN_20240105.bin", ok, QString(),
                                                          images::imageNamed("warning")));
        for (const char* key : {"Manual1", "Manual2"})
            alerts.push_back(KorvoUpdateAlert::alertWithTitle(localizedText("Alert1"), localizedText(key),
                                                              "KorvoUpdate.pdf", ok, QString(), QImage()));
        for (const auto& alert : alerts) {
            alert->show();
            measure.allUnder(alert.get());
        }
        EXPECT_GE(measure.measured(), 5 * 3) << language.toStdString(); // title, message and OK of each
    }
}

} // namespace
