#include "wizard/WizardArtwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace {

// A bookmark ribbon: a rectangle with a notch cut into its foot.
void Ribbon(QPainter& p, int x, int y, int w, int h) {
    QPolygon shape;
    shape << QPoint(x, y) << QPoint(x + w, y) << QPoint(x + w, y + h)
          << QPoint(x + w / 2, y + h - w / 2) << QPoint(x, y + h);
    p.drawPolygon(shape);
}

// A folder: a body with a tab on its top left.
void Folder(QPainter& p, int x, int y, int w, int h) {
    QPolygon shape;
    int tab = w * 2 / 5;
    shape << QPoint(x, y) << QPoint(x + tab, y) << QPoint(x + tab + h / 6, y + h / 6)
          << QPoint(x + w, y + h / 6) << QPoint(x + w, y + h) << QPoint(x, y + h);
    p.drawPolygon(shape);
}

// A database: a cylinder drawn as outlined rings.
void Database(QPainter& p, int x, int y, int w, int h) {
    int ring = h / 5;
    p.drawLine(x, y + ring / 2, x, y + h - ring / 2);
    p.drawLine(x + w, y + ring / 2, x + w, y + h - ring / 2);
    for (int i = 0; i < 4; ++i) p.drawArc(x, y + i * (h - ring) / 3, w, ring, 180 * 16, 180 * 16);
    p.drawEllipse(x, y, w, ring);
}

void Arrow(QPainter& p, int x1, int y, int x2) {
    p.drawLine(x1, y, x2, y);
    QPolygon head;
    head << QPoint(x2, y - 10) << QPoint(x2 + 16, y) << QPoint(x2, y + 10);
    p.drawPolygon(head);
}

void DrawImport(QPainter& p, const QPen& pen, const QBrush& ink) {
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    Database(p, 40, 60, 120, 160);
    p.setBrush(ink);
    Arrow(p, 180, 140, 240);
    p.setBrush(Qt::NoBrush);
    Folder(p, 270, 90, 120, 110);
    p.setBrush(ink);
    for (int i = 0; i < 3; ++i) Ribbon(p, 290 + i * 32, 60 + i * 8, 20, 56);
}

// Kept in the upper two thirds: the page's tick boxes lie over the lower part of the picture.
void DrawCreate(QPainter& p, const QPen& pen, const QBrush& ink) {
    p.setPen(pen);
    p.setBrush(ink);
    Ribbon(p, 50, 40, 46, 110);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 4; ++i) {
        int y = 10 + i * 45;
        p.drawLine(110, 95, 200, y + 18);
        Folder(p, 220, y, 80, 36);
        p.setBrush(ink);
        Ribbon(p, 320, y + 2, 12, 32);
        Ribbon(p, 340, y + 2, 12, 32);
        p.setBrush(Qt::NoBrush);
    }
}

void DrawFinish(QPainter& p, const QPen& pen, const QBrush& ink) {
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    Folder(p, 90, 60, 240, 170);
    QPen thick = pen;
    thick.setWidth(18);
    p.setPen(thick);
    p.setBrush(ink);
    p.drawPolyline(QPolygon({QPoint(150, 150), QPoint(195, 195), QPoint(280, 100)}));
}

}  // namespace

QPixmap WizardArtwork::Bitmap(int bitmapId) {
    QPixmap bitmap(kWidth, kHeight);
    bitmap.fill(Paper());
    QPainter painter(&bitmap);
    // Without antialiasing every pixel is one of the two colours.
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(Ink());
    pen.setWidth(4);
    QBrush ink(Ink());
    switch (bitmapId) {
        case 147:
            DrawImport(painter, pen, ink);
            break;
        case 151:
            DrawCreate(painter, pen, ink);
            break;
        case 152:
            DrawFinish(painter, pen, ink);
            break;
        default:
            break;
    }
    return bitmap;
}
