#include "wizard/ColorButton.h"

#include "wizard/ColorStatic.h"

ColorButton::ColorButton(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    setAutoFillBackground(true);
    Apply();
}

void ColorButton::SetColor(const QColor& color) {
    color_ = color;
    Apply();
}

void ColorButton::SetHighlight(bool highlighted) {
    highlighted_ = highlighted;
    Apply();
}

QColor ColorButton::BackgroundColor() const {
    return ColorStatic::BackgroundFor(color_, highlighted_);
}

void ColorButton::Apply() {
    QPalette p = palette();
    p.setColor(QPalette::Window, BackgroundColor());
    p.setColor(QPalette::Button, BackgroundColor());
    setPalette(p);
    update();
}
