#pragma once

#include <QPixmap>

// The pictures of the wizard pages, drawn for this program in two colours at 420 x 280 pixels:
// 147 a database handing bookmarks over, 151 one bookmark fanned out into several folders (above
// the page's tick boxes), 152 a finished folder with a tick. Any other identifier gives an empty
// picture of that size.
class WizardArtwork {
public:
    static constexpr int kWidth = 420;
    static constexpr int kHeight = 280;

    static QPixmap Bitmap(int bitmapId);
    static QColor Ink() { return QColor(0, 80, 96); }
    static QColor Paper() { return QColor(222, 222, 208); }
};
