#include "Decimal.h"
#include "Power.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// x^y against the exact power of the two doubles rounded to nearest (ties to
// even): exact rational arithmetic where the power is a binary fraction or y
// an integer, 600-bit arithmetic otherwise. Text: what the calculator shows
// (the double's 15 significant digits); none for an infinity or NaN.
TEST(AccuratePow, IsTheNearestDouble)
{
    static const struct {
        double X;
        double Y;
        std::uint64_t Bits;
        const char* Text;
    } rows[] = {
        // exact results, and exact ties rounded to even: 10^23, 262143^3, 2^-1075 (to 0), 243 * 2^-1075
        {3.0, 4.0, 0x4054400000000000ULL, "81"},
        {2.0, -3.0, 0x3fc0000000000000ULL, "0.125"},
        {10.0, 15.0, 0x430c6bf526340000ULL, "1E+15"},
        {10.0, 22.0, 0x4480f0cf064dd592ULL, "1E+22"},
        {10.0, 23.0, 0x44b52d02c7e14af6ULL, "1E+23"},
        {68718952449.0, 1.5, 0x434fffe800060000ULL, "1.80141923518382E+16"},
        {0.25, 537.5, 0x0000000000000000ULL, "0"},
        {0.5, 1074.0, 0x0000000000000001ULL, "4.94065645841247E-324"},
        {0x3p-215, 5.0, 0x000000000000007aULL, "6.02760087926321E-322"},
        {2.0, 1023.0, 0x7fe0000000000000ULL, "8.98846567431158E+307"},
        // a pow a few units off in the last place shows 36131355830021.7, -6.21515548984072E-121
        {2451.7211, 4.0, 0x42c06e3e509382d3ULL, "36131355830021.6"},
        {-13965.4, -29.0, 0xa6f9adb47bc5f3bfULL, "-6.21515548984074E-121"},
        {10.0, -5.0, 0x3ee4f8b588e368f1ULL, "1E-05"},
        // near the middle between two doubles: a pow off by a little over half a unit picks the wrong one
        {1328152576.0, 4.0, 0x4782ba44b93e1ed8ULL, "3.11165812751305E+36"},
        {638.875, 37.0, 0x557c3235c62ee726ULL, "6.31521407002401E+103"},
        {0.1427764892578125, 8.0, 0x3e872d65bde20724ULL, "1.72684592795368E-07"},
        // roots: y is the double nearest to the reciprocal the engine computes
        {27.0, 0.3333333333333333333333333333, 0x4008000000000000ULL, "3"},
        {8.0, 0.3333333333333333333333333333, 0x4000000000000000ULL, "2"},
        {2.0, 0.5, 0x3ff6a09e667f3bcdULL, "1.4142135623731"},
        {10.0, 0.3333333333333333333333333333, 0x40013c484138704fULL, "2.15443469003188"},
        {6171000000.0, 0.1, 0x40230eb73b884298ULL, "9.52874170339901"},
        {2763001.0305029, 0.25, 0x4044629d5b7b6d33ULL, "40.7704271652859"},
        {1e-300, 0.1428571428571428571428571429, 0x3708ca17f3bb0123ULL, "1.38949549437315E-43"},
        // values near 1 to large exponents, where an error in ln x grows a billionfold
        {1.0000001, 1000000000.0, 0x48f349445c228792ULL, "2.68810385821446E+43"},
        {0.9999999, 1000000000.0, 0x36ea8c1679619156ULL, "3.72005757149364E-44"},
        {0x1.0000000000001p+0, 4503599627370496.0, 0x4005bf0a8b145769ULL, "2.71828182845905"},
        {1.0000000000000002, 3.1415926535897932, 0x3ff0000000000003ULL, "1"},
        // the ends of the range: overflow, subnormals, underflow
        {1.5, 1000.0, 0x647f2dd011353699ULL, "1.23384059690617E+176"},
        {10.0, 308.0, 0x7fe1ccf385ebc8a0ULL, "1E+308"},
        {2.0, 1024.0, 0x7ff0000000000000ULL, nullptr},
        {10.0, 309.0, 0x7ff0000000000000ULL, nullptr},
        {1.7976931348623157e308, 0.5, 0x5fefffffffffffffULL, "1.34078079299426E+154"},
        {10.0, -323.0, 0x0000000000000002ULL, "9.88131291682493E-324"},
        {10.0, -324.0, 0x0000000000000000ULL, "0"},
        // negative bases: the sign of odd integer powers, no real result for fractional ones
        {-2.0, 3.0, 0xc020000000000000ULL, "-8"},
        {-2.0, 4.0, 0x4030000000000000ULL, "16"},
        {-1.5, -3.0, 0xbfd2f684bda12f68ULL, "-0.296296296296296"},
        {-10.0, 309.0, 0xfff0000000000000ULL, nullptr},
        {-10.0, 308.0, 0x7fe1ccf385ebc8a0ULL, "1E+308"},
        {-8.0, 0.3333333333333333333333333333, 0x7ff8000000000000ULL, nullptr},
        {-1.0, 9007199254740993.0, 0x3ff0000000000000ULL, "1"},
        {-1.0, 9007199254740991.0, 0xbff0000000000000ULL, "-1"},
        // huge and tiny exponents
        {2.0, 1152921504606846976.0, 0x7ff0000000000000ULL, nullptr},
        {0.5, 1152921504606846976.0, 0x0000000000000000ULL, "0"},
        {7.0, 1e-320, 0x3ff0000000000000ULL, "1"},
        // the special cases of C's pow
        {0.0, 0.0, 0x3ff0000000000000ULL, "1"},
        {NaN, 0.0, 0x3ff0000000000000ULL, "1"},
        {1.0, NaN, 0x3ff0000000000000ULL, "1"},
        {-1.0, Inf, 0x3ff0000000000000ULL, "1"},
        {0.5, Inf, 0x0000000000000000ULL, "0"},
        {2.0, -Inf, 0x0000000000000000ULL, "0"},
        {0.0, 5.0, 0x0000000000000000ULL, "0"},
        {-0.0, 3.0, 0x8000000000000000ULL, "0"},
        {-0.0, -1.0, 0xfff0000000000000ULL, nullptr},
        {-0.0, -2.0, 0x7ff0000000000000ULL, nullptr},
        {Inf, -1.0, 0x0000000000000000ULL, "0"},
        {-Inf, 3.0, 0xfff0000000000000ULL, nullptr},
    };
    for (const auto& row : rows) {
        char trace[80];
        std::snprintf(trace, sizeof trace, "%.17g ^ %.17g", row.X, row.Y);
        SCOPED_TRACE(trace);
        const double result = AccuratePow(row.X, row.Y);
        if (std::isnan(std::bit_cast<double>(row.Bits))) {
            EXPECT_TRUE(std::isnan(result));
        } else {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(result), row.Bits);
        }
        if (row.Text) {
            EXPECT_EQ(DecimalToText(TDecimal::FromDouble(result)), row.Text);
        }
    }
}

} // namespace
