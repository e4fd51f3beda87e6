// A window-sized alert panel (1140 x 724, centred on the screen) that shows a picture or a PDF document under a
// slim title bar with a black close button; a picture may also fill the whole panel, the close button then lying
// in its top-right corner. It ends as every alert does (the close button and Escape end it with 0). A PDF that
// cannot be read gives an empty PDF view. GUI thread only; the caller owns the alert.
#pragma once

#include "KorvoUpdateAlert.h"

#include <QUrl>

#include <memory>

class PdfView;
namespace Poppler {
class Document;
}

class KorvoUpdateHelpAlert : public KorvoUpdateAlert {
public:
    static constexpr int kPanelWidth = 1140; // the main window's size
    static constexpr int kPanelHeight = 724;
    static constexpr int kTitleBarHeight = 22;
    static constexpr int kFullCloseButtonSize = 40;

    // The picture resource imageName sized to the area below the title bar; full: to the whole panel, over which it
    // lies without the title bar.
    static std::unique_ptr<KorvoUpdateHelpAlert> helpAlertWithTitle(const QString& title, const QString& imageName,
                                                                    bool full);
    // The PDF file at pdfURL (a local file) below the title bar.
    static std::unique_ptr<KorvoUpdateHelpAlert> helpAlertWithTitle(const QString& title, const QUrl& pdfURL);

    KorvoUpdateHelpAlert();
    ~KorvoUpdateHelpAlert() override;

    KorvoUpdateImageView* helpImageView() const { return m_helpImageView; }
    PdfView* pdfView() const { return m_pdfView; }
    Poppler::Document* pdfDocument() const { return m_pdfDocument.get(); }
    // The picture resource the close button shows.
    QString closeImageName() const { return m_closeImageName; }

private:
    void helpAwakeFromNib();
    void setCloseImage(const QString& name);
    QRect belowTitleBar() const;

    KorvoUpdateImageView* m_helpImageView = nullptr;
    PdfView* m_pdfView = nullptr;
    std::unique_ptr<Poppler::Document> m_pdfDocument;
    QString m_closeImageName;
};
