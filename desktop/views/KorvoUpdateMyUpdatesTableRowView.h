// The cell view of every column of the firmware list: a check mark and a text (column 0), a text alone, or the
// row's progress button (the last column). GUI thread only.
#pragma once

#include <QWidget>

class KorvoUpdateDownloadButton;
class KorvoUpdateImageView;
class QLabel;

class KorvoUpdateMyUpdatesTableRowView : public QWidget {
public:
    enum ShowImage { TextOnly = 0, CheckAndText = 1, ProgressButton = 2 };
    static constexpr int kTextPixelSize = 15;
    static constexpr int kLeading = 5;
    static constexpr int kCheckWidth = 18;
    static constexpr int kCheckTextGap = 3;

    explicit KorvoUpdateMyUpdatesTableRowView(QWidget* parent = nullptr);

    int showImage() const { return m_showImage; }
    void setShowImage(int show);
    KorvoUpdateImageView* imageView1() const { return m_imageView1; }
    QLabel* textLabel1() const { return m_textLabel1; }
    KorvoUpdateDownloadButton* downloadButton() const { return m_downloadButton; }

    void resetUpdateCell();
    void setProgress(double progress, int forState);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutCell();
    KorvoUpdateImageView* m_imageView1 = nullptr;
    QLabel* m_textLabel1 = nullptr;
    KorvoUpdateDownloadButton* m_downloadButton = nullptr;
    int m_showImage = TextOnly;
};
