#include "Pages.h"

#include <QVBoxLayout>

CaptureControl& captureControl() {
    static CaptureControl control;
    return control;
}

CPrintPage::CPrintPage(QWidget* parent) : CDialog(parent), m_edit(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("page200"));
    m_edit->setObjectName(QStringLiteral("edit1034"));
    m_edit->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 20, 0);
    layout->addWidget(m_edit);
}

void CPrintPage::StartCapture(const std::string& port) {
    captureControl().setPort(port);
    captureControl().stop = port.empty();
}

void CPrintPage::StopCapture() {
    m_edit->clear();
    captureControl().setPort({});
    captureControl().stop = true;
}

CSearchDtcPage::CSearchDtcPage(QWidget* parent) : CDialog(parent) {
    setObjectName(QStringLiteral("page130"));
}

CMannualPage::CMannualPage(QWidget* parent) : CDialog(parent) {
    setObjectName(QStringLiteral("page131"));
}

CSettingPage::CSettingPage(QWidget* parent) : CDialog(parent) {
    setObjectName(QStringLiteral("page132"));
}
