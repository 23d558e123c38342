// Extended-precision arithmetic with the floating-point traps made explicit: an operation that
// would give an invalid result, divide by zero or overflow throws FloatError right there, instead
// of letting an infinity or a NaN travel on into a text the user sees.
#pragma once

#include <cmath>
#include <limits>

#include "support/numtext.h"

namespace tiramon {

namespace checked_detail {
inline long double Check(long double result, long double a, long double b) {
  if (std::isnan(result) && !std::isnan(a) && !std::isnan(b)) throw FloatError(kInvalidOperation);
  if (std::isinf(result) && std::isfinite(a) && std::isfinite(b)) throw FloatError(kOverflow);
  return result;
}
}  // namespace checked_detail

// An 80-bit extended value whose operators trap. Build expressions from it in the order the
// calculation is written: Ext(p) * 100000 * lot / leverage is ((p * 100000) * lot) / leverage.
struct Ext {
  long double v = 0;
  constexpr Ext() = default;
  constexpr Ext(long double value) : v(value) {}  // NOLINT: implicit on purpose

  friend Ext operator+(Ext a, Ext b) { return checked_detail::Check(a.v + b.v, a.v, b.v); }
  friend Ext operator-(Ext a, Ext b) { return checked_detail::Check(a.v - b.v, a.v, b.v); }
  friend Ext operator*(Ext a, Ext b) { return checked_detail::Check(a.v * b.v, a.v, b.v); }
  friend Ext operator/(Ext a, Ext b) {
    if (b.v == 0 && !std::isnan(a.v)) {
      throw FloatError(a.v == 0 ? kInvalidOperation : kDivisionByZero);
    }
    return checked_detail::Check(a.v / b.v, a.v, b.v);
  }
  Ext operator-() const { return Ext(-v); }
  friend bool operator<(Ext a, Ext b) { return a.v < b.v; }
  friend bool operator>(Ext a, Ext b) { return a.v > b.v; }
  friend bool operator<=(Ext a, Ext b) { return a.v <= b.v; }
  friend bool operator>=(Ext a, Ext b) { return a.v >= b.v; }
  friend bool operator==(Ext a, Ext b) { return a.v == b.v; }
};

// Rounds an extended value to a double where the calculation keeps it; a value beyond the double
// range is the overflow trap.
inline double StoreDouble(long double value) {
  if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<double>::max()) {
    // Values just above DBL_MAX that round down to it are still representable.
    const double rounded = static_cast<double>(value);
    if (std::isinf(rounded)) throw FloatError(kOverflow);
    return rounded;
  }
  return static_cast<double>(value);
}
inline double StoreDouble(Ext value) { return StoreDouble(value.v); }

}  // namespace tiramon
