#pragma once

#include <QCheckBox>
#include <QColor>
#include <optional>

// A tick box that paints its own background by the rule of ColorStatic.
class ColorButton : public QCheckBox {
    Q_OBJECT
public:
    explicit ColorButton(const QString& text, QWidget* parent = nullptr);

    void SetColor(const QColor& color);
    void SetHighlight(bool highlighted);
    QColor BackgroundColor() const;

private:
    void Apply();

    std::optional<QColor> color_;
    bool highlighted_ = false;
};
