// The text of a path-loss gain offset: five significant digits in the compact
// form the test set's correction commands have always been sent with ("3.",
// "-0.5", "5.e-002", "-1.2346e+005").
//
// Rules, for a value v (a 32-bit gain widened to double):
//  1. e is the decimal exponent of v's leading significant digit, taken from
//     v's exact value before any rounding (v = d.ddd... x 10^e; e = -1 for 0).
//  2. e < -1 or e > 4: exponent form: sign, the leading digit, a point, four
//     further digits rounded, 'e', the exponent's sign and three exponent
//     digits. The exponent printed is that of the rounded digits, so
//     9.99996e-3 gives "1.e-002".
//  3. Otherwise fixed form with 4 - e decimals, rounded, and no point at all
//     when that is 0 decimals (e = 4).
//  4. Trailing zeros of the fraction are dropped (before the 'e' in exponent
//     form); the point stays even with no digit after it.
// Because e is taken before rounding, a value that rounds up into a further
// digit keeps the form chosen for it: 99999.5 (e = 4) prints "100000",
// 9.99996 prints "10." and 0.0999996 (e = -2) prints "1.e-001".
// Rounding is to nearest on the exact binary value, ties to even (as C's
// printf rounds), so 12344.5 prints "12344" and 12345.5 "12346".
// Zero of either sign prints "0.". The text is produced without the C
// library's printf, so it does not depend on the locale or the platform (the
// exponent always has three digits).
#pragma once

#include <cstddef>

namespace gsmbench::cell {

// "-1.2346e+005" is the longest text (12 characters).
inline constexpr std::size_t kGainTextSize = 16;

// Renders `value` into out (terminated) and returns its length; returns 0,
// with out empty, for an infinite or NaN value, which has no such text.
std::size_t render_gain(double value, char (&out)[kGainTextSize]) noexcept;

} // namespace gsmbench::cell
