#include "ui/widgets/meaning_colours.h"

#include <algorithm>
#include <cmath>

namespace {

double Channel(double value) {
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour) {
    return 0.2126 * Channel(colour.redF()) + 0.7152 * Channel(colour.greenF()) +
           0.0722 * Channel(colour.blueF());
}

double LeastContrast(const QColor& colour, std::initializer_list<QColor> grounds) {
    double least = 21.0;
    for (const QColor& ground : grounds) least = std::min(least, ContrastRatio(colour, ground));
    return least;
}

}  // namespace

double ContrastRatio(const QColor& one, const QColor& other) {
    const double a = Luminance(one);
    const double b = Luminance(other);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor Over(const QColor& top, const QColor& ground) {
    const double alpha = top.alphaF();
    const auto mix = [alpha](double up, double down) { return up * alpha + down * (1.0 - alpha); };
    return QColor::fromRgbF(static_cast<float>(mix(top.redF(), ground.redF())),
                            static_cast<float>(mix(top.greenF(), ground.greenF())),
                            static_cast<float>(mix(top.blueF(), ground.blueF())));
}

QColor Readable(const QColor& hue, std::initializer_list<QColor> grounds) {
    double darkest = 1.0;
    for (const QColor& ground : grounds) darkest = std::min(darkest, Luminance(ground));
    // Away from the grounds: darker on light ones, lighter on dark ones.
    const bool darken = darkest > 0.18;
    QColor best = hue.toHsl();
    double bestContrast = LeastContrast(best, grounds);
    for (int lightness = hue.toHsl().lightness(); lightness >= 0 && lightness <= 255;
         lightness += darken ? -5 : 5) {
        const QColor tried = QColor::fromHsl(hue.toHsl().hslHue(), hue.toHsl().hslSaturation(), lightness);
        const double contrast = LeastContrast(tried, grounds);
        if (contrast > bestContrast) {
            best = tried;
            bestContrast = contrast;
        }
        if (contrast >= kLeastContrast) return tried.toRgb();
    }
    return best.toRgb();
}
