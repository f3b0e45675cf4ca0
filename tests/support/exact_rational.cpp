#include "support/exact_rational.hpp"

#include <gmp.h>

namespace d2dtest {

namespace {

// An mpq_t that cleans up after itself.
class Rational {
public:
    Rational() { mpq_init(value_); }
    explicit Rational(double d) {
        mpq_init(value_);
        mpq_set_d(value_, d);  // exact for every finite double
    }
    Rational(const Rational&) = delete;
    Rational& operator=(const Rational&) = delete;
    ~Rational() { mpq_clear(value_); }
    mpq_ptr get() { return value_; }
    mpq_srcptr get() const { return value_; }

private:
    mpq_t value_;
};

}  // namespace

int orient_sign_rational(double ax, double ay, double bx, double by, double cx, double cy) {
    Rational acx(ax), acy(ay), bcx(bx), bcy(by), c_x(cx), c_y(cy), left, right;
    mpq_sub(acx.get(), acx.get(), c_x.get());
    mpq_sub(acy.get(), acy.get(), c_y.get());
    mpq_sub(bcx.get(), bcx.get(), c_x.get());
    mpq_sub(bcy.get(), bcy.get(), c_y.get());
    mpq_mul(left.get(), acx.get(), bcy.get());
    mpq_mul(right.get(), acy.get(), bcx.get());
    return mpq_cmp(left.get(), right.get()) > 0 ? 1 : (mpq_cmp(left.get(), right.get()) < 0 ? -1 : 0);
}

int incircle_sign_rational(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                           double dy) {
    Rational adx(ax), ady(ay), bdx(bx), bdy(by), cdx(cx), cdy(cy), d_x(dx), d_y(dy);
    mpq_sub(adx.get(), adx.get(), d_x.get());
    mpq_sub(ady.get(), ady.get(), d_y.get());
    mpq_sub(bdx.get(), bdx.get(), d_x.get());
    mpq_sub(bdy.get(), bdy.get(), d_y.get());
    mpq_sub(cdx.get(), cdx.get(), d_x.get());
    mpq_sub(cdy.get(), cdy.get(), d_y.get());
    Rational t1, t2, lift, minor, det, term;
    auto lift_of = [&](const Rational& x, const Rational& y) {
        mpq_mul(t1.get(), x.get(), x.get());
        mpq_mul(t2.get(), y.get(), y.get());
        mpq_add(lift.get(), t1.get(), t2.get());
    };
    auto minor_of = [&](const Rational& x1, const Rational& y2, const Rational& x2, const Rational& y1) {
        mpq_mul(t1.get(), x1.get(), y2.get());
        mpq_mul(t2.get(), x2.get(), y1.get());
        mpq_sub(minor.get(), t1.get(), t2.get());
    };
    lift_of(adx, ady);
    minor_of(bdx, cdy, cdx, bdy);
    mpq_mul(term.get(), lift.get(), minor.get());
    mpq_add(det.get(), det.get(), term.get());
    lift_of(bdx, bdy);
    minor_of(cdx, ady, adx, cdy);
    mpq_mul(term.get(), lift.get(), minor.get());
    mpq_add(det.get(), det.get(), term.get());
    lift_of(cdx, cdy);
    minor_of(adx, bdy, bdx, ady);
    mpq_mul(term.get(), lift.get(), minor.get());
    mpq_add(det.get(), det.get(), term.get());
    return mpq_sgn(det.get());
}

}  // namespace d2dtest
