// The side of a line a point lies on, decided exactly for any doubles: the
// sign of the determinant
//
//   | ax - px   ay - py |
//   | bx - px   by - py |      > 0: p left of a->b, < 0: right, 0: on it.
//
// A floating-point evaluation settles nearly every case; only when its
// rounding could have flipped the sign is the determinant summed exactly as
// an expansion of doubles (two_sum / two_product, each term exact), whose
// largest nonzero term carries the sign.
#pragma once

namespace d2dcli {

int exact_side(double ax, double ay, double bx, double by, double px, double py);

}  // namespace d2dcli
