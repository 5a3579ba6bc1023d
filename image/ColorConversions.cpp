#include "image/ColorConversions.h"

#include <algorithm>
#include <cmath>

namespace vellinor {

// The CMYK bytes are the complements of the ink amounts: k is the brightest
// channel, the others scaled against it.
TCMYK RGB2CMYK(TRGB rgb) {
    int k = std::max({rgb.r, rgb.g, rgb.b});
    if (k == 0) k = 1;
    return TCMYK{static_cast<uint8_t>(rgb.r * 255 / k), static_cast<uint8_t>(rgb.g * 255 / k),
                 static_cast<uint8_t>(rgb.b * 255 / k), static_cast<uint8_t>(k)};
}

TRGB CMYK2RGB(TCMYK c) {
    return MakeRGB(static_cast<uint8_t>(c.c * c.k / 255), static_cast<uint8_t>(c.m * c.k / 255),
                   static_cast<uint8_t>(c.y * c.k / 255));
}

namespace {

double Linearise(uint8_t channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double LabF(double t) {
    return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116.0;
}

double LabFInverse(double f) {
    const double cube = f * f * f;
    return cube > 0.008856 ? cube : (f - 16.0 / 116.0) / 7.787;
}

uint8_t GammaByte(double c) {
    c = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
    const double v = std::nearbyint(c * 255.0);
    return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
}

int8_t SignedByte(double v) {
    // Values stored as signed bytes wrap like the original integer truncation.
    return static_cast<int8_t>(static_cast<uint8_t>(static_cast<int>(std::trunc(v)) & 0xFF));
}

} // namespace

TCIELab RGB2CIELab(TRGB rgb) {
    const double r = Linearise(rgb.r), g = Linearise(rgb.g), b = Linearise(rgb.b);
    const double x = (0.412453 * r + 0.35758 * g + 0.180423 * b) / 0.95047;
    const double y = 0.212671 * r + 0.71516 * g + 0.072169 * b;
    const double z = (0.019334 * r + 0.119193 * g + 0.950227 * b) / 1.088883;
    const double fx = LabF(x), fy = LabF(y), fz = LabF(z);
    const double l = y > 0.008856 ? 116.0 * fy - 16.0 : 903.3 * y;
    return TCIELab{static_cast<uint8_t>(static_cast<int>(std::trunc(l * 2.5)) & 0xFF),
                   SignedByte(500.0 * (fx - fy)), SignedByte(200.0 * (fy - fz))};
}

TRGB CIELab2RGB(TCIELab lab) {
    const double l = lab.l * 100.0 / 255.0;
    const double fy = (l + 16.0) / 116.0;
    const double fx = fy + lab.a / 500.0;
    const double fz = fy - lab.b / 200.0;
    const double x = LabFInverse(fx) * 0.95047;
    const double y = LabFInverse(fy);
    const double z = LabFInverse(fz) * 1.08883;
    const double r = 3.2406 * x - 1.5372 * y - 0.4986 * z;
    const double g = -0.9689 * x + 1.8758 * y + 0.0415 * z;
    const double b = 0.0557 * x - 0.204 * y + 1.057 * z;
    return MakeRGB(GammaByte(r), GammaByte(g), GammaByte(b));
}

} // namespace vellinor
