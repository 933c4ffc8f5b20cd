#pragma once

#include <QColor>
#include <QLabel>
#include <optional>

// A label (or, in frame mode, a titled frame) that paints its own background: its own colour
// when one is set, else cyan while highlighted, else white. The step panel highlights the
// current step with it; pages give their labels the page colour.
class ColorStatic : public QLabel {
    Q_OBJECT
public:
    explicit ColorStatic(const QString& text, QWidget* parent = nullptr);

    void SetColor(const QColor& color);
    void SetHighlight(bool highlighted);
    bool IsHighlighted() const { return highlighted_; }
    QColor BackgroundColor() const;
    // Draws a titled group frame instead of a label.
    void SetFrameMode(bool frame);

    // The rule shared by coloured labels and tick boxes.
    static QColor BackgroundFor(const std::optional<QColor>& own, bool highlighted);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Apply();

    std::optional<QColor> color_;
    bool highlighted_ = false;
    bool frame_ = false;
};
