#include "wizard/DlgBasePPage.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "app/ConverterApp.h"
#include "wizard/ColorButton.h"
#include "wizard/ColorStatic.h"
#include "wizard/DialogFont.h"
#include "wizard/DlgBasePSheet.h"
#include "wizard/WizardArtwork.h"

namespace {

constexpr int kDialogFinish = 141;
constexpr int kDialogCreate = 139;

}  // namespace

DlgBasePPage::DlgBasePPage(int dialogId, QWidget* parent)
    : QWizardPage(parent), dialogId_(dialogId) {
    setObjectName(QString::number(dialogId));
    setFont(DialogFont::Font());
    setFixedSize(DialogFont::ToPixelsX(kWidthUnits), DialogFont::ToPixelsY(kHeightUnits));
    QPalette p = palette();
    p.setColor(QPalette::Window, PageBackground());
    setPalette(p);
    steps_ = std::make_unique<StepPanel>(this, dialogId);
}

DlgBasePPage::~DlgBasePPage() = default;

void DlgBasePPage::OnSetActive() {
    steps_->Highlight(dialogId_);
    auto* sheet = qobject_cast<DlgBasePSheet*>(wizard());
    if (!sheet) return;
    if (dialogId_ == kDialogFinish) {
        sheet->SetWizardButtons(false, true);
    } else {
        sheet->SetWizardButtons(dialogId_ == kDialogCreate, false);
    }
}

void DlgBasePPage::initializePage() {
    if (initialized_) return;
    initialized_ = true;
    OnInitDialog();
}

bool DlgBasePPage::validatePage() {
    return OnWizardNext();
}

bool DlgBasePPage::QuitOnRequest() {
    if (!ConverterApp::QuitRequested()) return false;
    if (wizard()) wizard()->reject();
    return true;
}

void DlgBasePPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), PageBackground());
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void DlgBasePPage::Place(QWidget* control, int id, int x, int y, int width, int height) {
    if (id > 0) control->setObjectName(QString::number(id));
    QRect r = DialogFont::ToPixels(x, y, width, height);
    QSize hint = control->sizeHint();
    if (width == 0) r.setWidth(hint.width());
    if (height == 0) r.setHeight(hint.height());
    control->setGeometry(r);
}

ColorButton* DlgBasePPage::AddTickBox(int id, const char* text, int x, int y, int width,
                                      int height) {
    auto* box = new ColorButton(QString::fromUtf8(text), this);
    Place(box, id, x, y, width, height);
    return box;
}

ColorStatic* DlgBasePPage::AddLabel(int id, const char* text, int x, int y, int width, int height) {
    auto* label = new ColorStatic(QString::fromUtf8(text), this);
    Place(label, id, x, y, width, height);
    return label;
}

QPushButton* DlgBasePPage::AddButton(int id, const char* text, int x, int y, int width,
                                     int height) {
    auto* button = new QPushButton(QString::fromUtf8(text), this);
    button->setAutoDefault(false);
    Place(button, id, x, y, width, height);
    return button;
}

QLabel* DlgBasePPage::AddPicture(int id, int x, int y) {
    auto* picture = new QLabel(this);
    picture->setObjectName(QString::number(id));
    picture->move(DialogFont::ToPixelsX(x), DialogFont::ToPixelsY(y));
    return picture;
}

void DlgBasePPage::ShowBitmap(QLabel* picture, int bitmapId) {
    QPixmap bitmap = WizardArtwork::Bitmap(bitmapId);
    picture->setPixmap(bitmap);
    picture->resize(bitmap.size());
}
