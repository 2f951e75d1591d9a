// Fixed-point formatting of doubles with decimals rounded half up.
//
// The C library rounds the exact binary value half to even, so 0.125 prints as
// 0.12 with "%.2f". The status text wants the decimal digits that a reader
// sees instead: the value is first written to 17 significant digits (enough to
// identify every double), the digits are cut after the requested decimal, and
// the last kept digit goes up when the next digit is 5 or more, carrying into
// new digits where needed (99.999 gives 100.00). So 0.125 gives 0.13 and 9.995,
// whose 17 digits are 9.9949999999999992, gives 9.99.
#pragma once

#include <cstddef>

// Beyond this many decimals every double's 17-digit expansion is zero (the
// smallest subnormal's 17th significant digit is its 340th decimal).
constexpr int FIXED_MAX_DECIMALS = 340;

// Writes value with `decimals` digits after the full stop (clamped to 0 to
// FIXED_MAX_DECIMALS; none and no full stop for 0), like snprintf: at most
// capacity - 1 characters and a terminating zero when capacity > 0, and
// returns the length the whole text needs. Any negative value, zero and NaN
// included, keeps its minus sign as printf does ("-0.00"); infinities print
// "inf" or "-inf" and NaN "nan" or "-nan", as printf on glibc prints them.
int FormatFixedHalfUp(char* buffer, std::size_t capacity, double value, int decimals);
