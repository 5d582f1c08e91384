// x^y for doubles, the same bits on every platform.
//
// The C library's pow differs from one platform to the next in its last
// bit, and so would the 15 digits the calculator shows of it. This one
// calls neither pow nor exp nor log: it works in integers (and checks its
// one square root in integers), the same on every compiler and processor.
//
// Results that are exact, or exactly halfway between two doubles, are
// rounded exactly (ties to even): 3^4 = 81, 10^15, 10^23 (a tie), 2^-1075
// (a tie, so 0), 68718952449^1.5. Every other result is the double nearest
// to an approximation whose relative error stays below 2^-101, so it is
// within 0.5 + 2^-48 units in the last place of the exact value, and it is
// the correctly rounded one unless the exact value lies that close to the
// middle between two doubles.
//
// The special cases are those of C's pow: x^0 = 1 and 1^y = 1 (even for
// NaN), NaN for a negative x with a y that is no integer, infinities and
// signed zeros for zero or infinite operands, inf on overflow, zero or a
// subnormal on underflow, and the sign of a negative x for odd integer y.
#pragma once

double AccuratePow(double x, double y);
