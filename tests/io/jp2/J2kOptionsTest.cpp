#include "io/jp2/J2kOptions.h"

#include <clocale>
#include <gtest/gtest.h>
#include <locale>

namespace vellinor::test {
namespace {

// A C++ locale that writes numbers with a decimal comma.
struct TCommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

// Switches the C and C++ locales to comma decimals for one test.
class TCommaLocale {
public:
    TCommaLocale() : fCpp(std::locale::global(std::locale(std::locale(), new TCommaDecimal))) {
        fC = std::setlocale(LC_NUMERIC, nullptr);
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"}) {
            if (std::setlocale(LC_NUMERIC, name) != nullptr) break;
        }
    }
    ~TCommaLocale() {
        std::setlocale(LC_NUMERIC, fC.c_str());
        std::locale::global(fCpp);
    }

private:
    std::locale fCpp;
    std::string fC;
};

TEST(J2kOptions, TextHasAFullStopWhateverTheLocale) {
    TCommaLocale comma;
    struct TCase {
        double Rate;
        uint8_t Order;
        const char* Text;
    };
    const TCase cases[] = {
        {0.05, 0, "rate=0.05 prg=lrcp"},
        {1.0, 0, "rate=1 prg=lrcp"},
        {0.25, 1, "rate=0.25 prg=rlcp"},
        {0.001, 0, "rate=0.001 prg=lrcp"},
        {0.1, 7, "rate=0.1 prg=lrcp"},
        {0.123456789012345678, 0, "rate=0.123456789012346 prg=lrcp"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(J2kOptionsText(c.Rate, c.Order), c.Text);
}

TEST(J2kOptions, ParsedTextGivesTheEncoderSettings) {
    TCommaLocale comma;
    const TJ2kEncoderOptions lossy = ParseJ2kOptions(J2kOptionsText(0.05, 1));
    EXPECT_DOUBLE_EQ(lossy.Rate, 0.05);
    EXPECT_EQ(lossy.Progression, TJ2kProgression::Rlcp);
    EXPECT_FALSE(lossy.Lossless());
    EXPECT_FLOAT_EQ(lossy.CompressionRatio(), 20.0f);

    struct TCase {
        const char* Text;
        bool Lossless;
        float Ratio;
    };
    const TCase cases[] = {
        {"rate=1 prg=lrcp", true, 0},
        {"rate=2.5 prg=lrcp", true, 0},
        {"rate=0.25", false, 4},
        {"rate=0 prg=rlcp", false, kMaxCompressionRatio},
        {"rate=-3", false, kMaxCompressionRatio},
        {"rate=0,5 prg=xyz", true, 0}, // not a number: the default rate
        {"", true, 0},
    };
    for (const TCase& c : cases) {
        const TJ2kEncoderOptions options = ParseJ2kOptions(c.Text);
        EXPECT_EQ(options.Lossless(), c.Lossless) << c.Text;
        EXPECT_FLOAT_EQ(options.CompressionRatio(), c.Ratio) << c.Text;
    }
    EXPECT_EQ(ParseJ2kOptions("prg=xyz").Progression, TJ2kProgression::Lrcp);
}

} // namespace
} // namespace vellinor::test
