// CMannualPage: lists the documents of the manual folder in an icon view and opens the one double-clicked with the
// desktop's default program for its type. When the desktop associates no program with the type, a viewer program
// shipped in the folder (an executable regular file that holds a program or a script) opens it, started with an
// argument list of absolute paths. Interface thread only.
#pragma once

#include "Dialog.h"

#include <QListWidget>
#include <QString>
#include <QStringList>
#include <functional>

class CMannualPage : public CDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 131;
    static constexpr int kGridWidth = 150, kGridHeight = 80;
    // The number the open-error box gives for a document no program is associated with.
    static constexpr int ERROR_NO_ASSOCIATION = 1155;
    // Names this short are no documents.
    static constexpr int kMinNameLength = 5;
    static constexpr int kIconSize = 32;
    // A label wraps on this many lines under its icon; only what is left after them is cut.
    static constexpr int kLabelLines = 2;
    // Room around the icon and the label inside a grid cell.
    static constexpr int kCellMargin = 2;

    explicit CMannualPage(QWidget* parent = nullptr);

    void setProgramFolder(const QString& folder) { m_folder = folder; }
    void setStatusHandler(std::function<void(const QString&)> setStatus) { m_setStatus = std::move(setStatus); }

    // Lists the folder (again).
    void OnInitDialog();
    // Opens the document of an item; false when nothing could open it (a box said why).
    bool OnNMDblclkManualList(QListWidgetItem* item);
    void OnNMClickManualList(QListWidgetItem* item);

    // The desktop's default program for a file's type, by its MIME database; empty when there is none.
    static QString DefaultApplication(const QString& path);
    // The lines a label is drawn on: wrapped at blanks (anywhere in a word wider than width), at most kLabelLines,
    // the last one elided when the label needs more.
    static QStringList LabelLines(const QString& label, const QFont& font, int width);
    // Where a grid cell shows its label.
    static QRect LabelRect(const QRect& cell);

    QListWidget* list() const { return m_list; } // 1027
    QString viewer() const { return m_viewer; }  // file name of the viewer program, "" for none
    QString manualFolder() const;

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void showOpenError(const QString& message);

    QListWidget* m_list;
    QString m_folder;
    QString m_viewer;
    std::function<void(const QString&)> m_setStatus;
};
