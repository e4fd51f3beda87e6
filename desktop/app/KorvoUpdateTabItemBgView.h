// The status bar under the tab bar's content area: a connection icon and a text saying whether a scan tool is
// connected and identified, or why its port cannot be opened. Starts disconnected.
#pragma once

#include <QWidget>

class KorvoUpdateImageView;
class QLabel;

class KorvoUpdateTabItemBgView : public QWidget {
public:
    explicit KorvoUpdateTabItemBgView(QWidget* parent = nullptr);
    // Connected: "Update8" when the tool has told its model, else "Update6"; not connected: "Update7".
    void changeConnect(bool connected);
    // The tool's port is there but could not be opened (errno of the open): what is wrong and what to do.
    void changePortError(int openError);
    QLabel* lab() const { return m_lab; }
    KorvoUpdateImageView* imageView() const { return m_imageView; }
    QString imageName() const { return m_imageName; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void resetBase();
    void show(const QString& image, const QString& textKey);

    KorvoUpdateImageView* m_imageView = nullptr;
    QLabel* m_lab = nullptr;
    QString m_imageName;
};
