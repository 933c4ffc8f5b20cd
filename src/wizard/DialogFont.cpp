#include "wizard/DialogFont.h"

#include <QFontMetrics>
#include <QStringList>

namespace {

const QString kFamily = QString::fromUtf8("ＭＳ Ｐゴシック");

struct Metrics {
    QFont font;
    int baseX = 0;
    int baseY = 0;
};

const Metrics& Measure() {
    static const Metrics metrics = [] {
        // Where the template's font is missing, its metric-compatible twin comes first, then
        // the other common Japanese gothic faces; fontconfig fills in any Japanese font after.
        QFont::insertSubstitutions(
            kFamily, {QStringLiteral("IPAPGothic"), QString::fromUtf8("IPA Pゴシック"),
                      QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("VL PGothic")});
        Metrics m;
        m.font = QFont(kFamily);
        m.font.setPointSize(9);
        m.font.setStyleHint(QFont::SansSerif);
        QFontMetrics fm(m.font);
        int width = fm.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        // Rounded as the system rounds the average width of the 52 letters.
        m.baseX = (width / 26 + 1) / 2;
        m.baseY = fm.height();
        if (m.baseX <= 0) m.baseX = 6;
        if (m.baseY <= 0) m.baseY = 12;
        return m;
    }();
    return metrics;
}

// a * b / c rounded half away from zero, as the system scales dialog units.
int MulDiv(int a, int b, int c) {
    long long product = static_cast<long long>(a) * b;
    long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

const QFont& DialogFont::Font() {
    return Measure().font;
}

int DialogFont::BaseUnitX() {
    return Measure().baseX;
}

int DialogFont::BaseUnitY() {
    return Measure().baseY;
}

int DialogFont::ToPixelsX(int units) {
    return MulDiv(units, BaseUnitX(), 4);
}

int DialogFont::ToPixelsY(int units) {
    return MulDiv(units, BaseUnitY(), 8);
}

QRect DialogFont::ToPixels(int x, int y, int width, int height) {
    return QRect(ToPixelsX(x), ToPixelsY(y), ToPixelsX(width), ToPixelsY(height));
}
