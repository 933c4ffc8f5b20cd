#include "wizard/DlgBasePSheet.h"

#include <QAbstractButton>
#include <QPainter>

#include "support/UserPrompt.h"
#include "wizard/DialogFont.h"
#include "wizard/DlgBasePPage.h"

DlgBasePSheet::DlgBasePSheet(QWidget* parent) : QWizard(parent) {
    setWizardStyle(QWizard::ClassicStyle);
    setOptions(QWizard::IndependentPages | QWizard::HaveCustomButton1);
    setButtonLayout({QWizard::Stretch, QWizard::CustomButton1, QWizard::NextButton,
                     QWizard::FinishButton, QWizard::CancelButton});
    setWindowTitle(QString::fromLatin1(UserPrompt::ApplicationTitle()));
    setFont(DialogFont::Font());
    setButtonText(QWizard::CustomButton1, QString::fromUtf8("< 戻る(&B)"));
    setButtonText(QWizard::NextButton, QString::fromUtf8("次へ(&N) >"));
    setButtonText(QWizard::FinishButton, QString::fromUtf8("完了"));
    setButtonText(QWizard::CancelButton, QString::fromUtf8("キャンセル"));
    QPalette p = palette();
    p.setColor(QPalette::Window, DlgBasePPage::PageBackground());
    setPalette(p);
    connect(this, &QWizard::customButtonClicked, this, [this](int which) {
        if (which == QWizard::CustomButton1) back();
    });
    connect(this, &QWizard::currentIdChanged, this, &DlgBasePSheet::OnPageChanged);
}

void DlgBasePSheet::AddPage(DlgBasePPage* page) {
    addPage(page);
}

void DlgBasePSheet::SetWizardButtons(bool back, bool finish) {
    BackButton()->setEnabled(back);
    setButtonText(QWizard::CancelButton, QString::fromUtf8(finish ? "閉じる" : "キャンセル"));
}

void DlgBasePSheet::OnPageChanged(int id) {
    if (auto* page = qobject_cast<DlgBasePPage*>(this->page(id))) page->OnSetActive();
}

void DlgBasePSheet::showEvent(QShowEvent* event) {
    QWizard::showEvent(event);
    // A dialog of fixed size, like the page templates it is built from.
    setFixedSize(size());
}

void DlgBasePSheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), DlgBasePPage::PageBackground());
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
