#include "wizard/ColorStatic.h"

#include <QPainter>
#include <QStyleOptionGroupBox>

ColorStatic::ColorStatic(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAutoFillBackground(true);
    Apply();
}

QColor ColorStatic::BackgroundFor(const std::optional<QColor>& own, bool highlighted) {
    if (own) return *own;
    return highlighted ? QColor(0, 255, 255) : QColor(255, 255, 255);
}

void ColorStatic::SetColor(const QColor& color) {
    color_ = color;
    Apply();
}

void ColorStatic::SetHighlight(bool highlighted) {
    highlighted_ = highlighted;
    Apply();
}

QColor ColorStatic::BackgroundColor() const {
    return BackgroundFor(color_, highlighted_);
}

void ColorStatic::SetFrameMode(bool frame) {
    frame_ = frame;
    update();
}

void ColorStatic::Apply() {
    QPalette p = palette();
    p.setColor(QPalette::Window, BackgroundColor());
    setPalette(p);
    update();
}

void ColorStatic::paintEvent(QPaintEvent* event) {
    if (!frame_) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionGroupBox option;
    option.initFrom(this);
    option.text = text();
    option.textAlignment = Qt::AlignLeft;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.lineWidth = 1;
    option.features = QStyleOptionFrame::None;
    option.textColor = palette().color(QPalette::WindowText);
    option.rect = rect();
    style()->drawComplexControl(QStyle::CC_GroupBox, &option, &painter, this);
}
