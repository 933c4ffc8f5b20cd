#pragma once

#include <QFont>
#include <QRect>

// The dialog font of every page ("ＭＳ Ｐゴシック" 9 point, standing in IPAPGothic or another
// Japanese font where it is missing) and the dialog units measured from it: a horizontal unit is
// a quarter of the font's average character width, a vertical unit an eighth of its height, so
// that the pages keep the proportions of their templates whatever font is found.
class DialogFont {
public:
    static const QFont& Font();
    // Average width of A-Z and a-z, and the font height, in pixels.
    static int BaseUnitX();
    static int BaseUnitY();
    static int ToPixelsX(int units);
    static int ToPixelsY(int units);
    static QRect ToPixels(int x, int y, int width, int height);
};
