// The 8-point inverse DCT both picture paths run, written once for any value
// type with +, - and arithmetic >>: a 32-bit integer (the portable form) or
// a register of 32-bit lanes (the vector forms), so every form computes the
// same sums in the same order.
#pragma once

#include <cstdint>

// Products with the factorisation's constants, x 65,536 and truncated.
// Scale(x, constant) is floor(x x constant / 65,536).
template <typename Arithmetic>
struct ExactProducts {
  using Value = typename Arithmetic::Value;
  static Value M0541(Value x) { return Arithmetic::Scale(x, 35467); }
  static Value MMinus1847(Value x) { return Arithmetic::Scale(x, -121094); }
  static Value M0765(Value x) { return Arithmetic::Scale(x, 50159); }
  static Value M1175(Value x) { return Arithmetic::Scale(x, 77062); }
  static Value MMinus0899(Value x) { return Arithmetic::Scale(x, -58980); }
  static Value MMinus2562(Value x) { return Arithmetic::Scale(x, -167963); }
  static Value MMinus1961(Value x) { return Arithmetic::Scale(x, -128553); }
  static Value MMinus0390(Value x) { return Arithmetic::Scale(x, -25570); }
  static Value M0298(Value x) { return Arithmetic::Scale(x, 19571); }
  static Value M2053(Value x) { return Arithmetic::Scale(x, 134553); }
  static Value M3072(Value x) { return Arithmetic::Scale(x, 201373); }
  static Value M1501(Value x) { return Arithmetic::Scale(x, 98390); }
};

// The same products as sums of arithmetic shifts, each truncating on its own.
template <typename Value>
struct ShiftProducts {
  static Value M0541(Value x) { return (x >> 1) + (x >> 5) + (x >> 7); }
  static Value MMinus1847(Value x) { return -(x + (x >> 1) + (x >> 2) + (x >> 4)); }
  static Value M0765(Value x) { return (x >> 1) + (x >> 2) + (x >> 7); }
  static Value M1175(Value x) { return x + (x >> 3) + (x >> 5); }
  static Value MMinus0899(Value x) { return -((x >> 1) + (x >> 2) + (x >> 3) + (x >> 6)); }
  static Value MMinus2562(Value x) { return -(x + x + (x >> 1) + (x >> 5)); }
  static Value MMinus1961(Value x) { return -(x + x - (x >> 5) - (x >> 7)); }
  static Value MMinus0390(Value x) { return -((x >> 2) + (x >> 3) + (x >> 7)); }
  static Value M0298(Value x) { return (x >> 2) + (x >> 5) + (x >> 6); }
  static Value M2053(Value x) { return x + x + (x >> 5) + (x >> 6); }
  static Value M3072(Value x) { return x + x + x + (x >> 4); }
  static Value M1501(Value x) { return x + (x >> 1); }
};

// One 8-point pass over c[0..7] (c[i] is frequency i): sample i goes to
// out[i], still to be shifted and narrowed by the caller.
template <typename Products, typename Value>
[[gnu::always_inline]] inline void Transform8(const Value c[8], Value out[8]) {
  const Value z1 = Products::M0541(c[2] + c[6]);
  const Value t2 = z1 + Products::MMinus1847(c[6]);
  const Value t3 = z1 + Products::M0765(c[2]);
  const Value t10 = c[0] + c[4] + t3;
  const Value t13 = c[0] + c[4] - t3;
  const Value t11 = c[0] - c[4] + t2;
  const Value t12 = c[0] - c[4] - t2;

  const Value p0 = c[7];
  const Value p1 = c[5];
  const Value p2 = c[3];
  const Value p3 = c[1];
  const Value z5 = Products::M1175(p0 + p1 + p2 + p3);
  const Value o1 = Products::MMinus0899(p0 + p3);
  const Value o2 = Products::MMinus2562(p1 + p2);
  const Value o3 = Products::MMinus1961(p0 + p2) + z5;
  const Value o4 = Products::MMinus0390(p1 + p3) + z5;
  const Value q0 = Products::M0298(p0) + o1 + o3;
  const Value q1 = Products::M2053(p1) + o2 + o4;
  const Value q2 = Products::M3072(p2) + o2 + o3;
  const Value q3 = Products::M1501(p3) + o1 + o4;

  out[0] = t10 + q3;
  out[7] = t10 - q3;
  out[1] = t11 + q2;
  out[6] = t11 - q2;
  out[2] = t12 + q1;
  out[5] = t12 - q1;
  out[3] = t13 + q0;
  out[4] = t13 - q0;
}
