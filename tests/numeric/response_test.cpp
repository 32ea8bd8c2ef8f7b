#include "numeric/response.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <random>
#include <vector>

namespace {

// The oscillator x'' + 2 h w x' + w^2 x = -g(t), g linear between samples, integrated in double
// by classical Runge-Kutta with many sub-steps per sample: the independent oracle.
double wide(float v) {
  return static_cast<double>(v);
}

struct state {
  double x, v;
};

state rk4_step(state s, double h, double w, double dt, double g0, double g1, int substeps) {
  const double hs = dt / substeps;
  const auto f = [&](double t, state y) {
    const double g = g0 + (g1 - g0) * (t / dt);
    return state{y.v, -2.0 * h * w * y.v - w * w * y.x - g};
  };
  for (int i = 0; i < substeps; ++i) {
    const double t = i * hs;
    const state k1 = f(t, s);
    const state k2 = f(t + hs / 2, {s.x + hs / 2 * k1.x, s.v + hs / 2 * k1.v});
    const state k3 = f(t + hs / 2, {s.x + hs / 2 * k2.x, s.v + hs / 2 * k2.v});
    const state k4 = f(t + hs, {s.x + hs * k3.x, s.v + hs * k3.v});
    s.x += hs / 6 * (k1.x + 2 * k2.x + 2 * k3.x + k4.x);
    s.v += hs / 6 * (k1.v + 2 * k2.v + 2 * k3.v + k4.v);
  }
  return s;
}

struct histories {
  std::vector<double> acc, vel, dis;
};

// The oracle for a whole record: starts with x = 0 and x' = -g(0) dt, as the routine does.
histories integrate(double h, double w, double dt, const std::vector<float>& ddy) {
  const std::size_t nn = ddy.size();
  histories r{std::vector<double>(nn), std::vector<double>(nn), std::vector<double>(nn)};
  state s{0.0, -static_cast<double>(ddy[0]) * dt};
  for (std::size_t m = 0; m < nn; ++m) {
    if (m > 0) s = rk4_step(s, h, w, dt, ddy[m - 1], ddy[m], 1000);
    r.dis[m] = s.x;
    r.vel[m] = s.v;
    r.acc[m] = -2.0 * h * w * s.v - w * w * s.x;
  }
  r.acc[0] =
      2.0 * h * w * wide(ddy[0]) * dt;  // the starting state's own acceleration, ground included
  return r;
}

struct result {
  std::vector<float> acc, vel, dis;
  float sa = -1, sv = -1, sd = -1;
};

result run_resp(float h, float w, float dt, const std::vector<float>& ddy, int nn = -1) {
  if (nn < 0) nn = static_cast<int>(ddy.size());
  result r{std::vector<float>(ddy.size(), 7.0f), std::vector<float>(ddy.size(), 7.0f),
           std::vector<float>(ddy.size(), 7.0f)};
  numeric::resp(h, w, dt, nn, ddy, r.acc, r.vel, r.dis, r.sa, r.sv, r.sd);
  return r;
}

const float h5 = 0.05f, w05 = 12.566371f, dt01 = 0.01f;

constexpr double u = 0x1p-24;  // unit roundoff of float

TEST(resp, coefficients_for_a_half_second_oscillator) {
  const numeric::resp_coefficients c = numeric::resp_coefficients_for(h5, w05, dt01);
  struct row {
    const char* name;
    float got;
    double want, tol;
  };
  // The homogeneous terms to one unit in the last quoted digit; the load terms come out of a
  // cancellation in single precision and hold about five digits.
  const row rows[] = {
      {"a11", c.a11, 0.9921476, 1e-7},   {"a12", c.a12, 0.00991130, 1e-8},
      {"a21", c.a21, -1.565129, 1e-6},   {"a22", c.a22, 0.9796927, 1e-7},
      {"b11", c.b11, -3.3124e-5, 4e-9},  {"b12", c.b12, -1.6602e-5, 2e-9},
      {"b21", c.b21, -4.93872e-3, 5e-8}, {"b22", c.b22, -4.97258e-3, 5e-8},
  };
  for (const row& r : rows) EXPECT_NEAR(r.got, r.want, r.tol) << r.name;
}

// One step from each unit state and each unit ramp of the ground gives one column of the
// recurrence; the fine integration must agree from very short to long periods.
TEST(resp, coefficients_match_fine_integration) {
  for (float period : {0.02f, 0.1f, 0.5f, 2.0f, 10.0f}) {
    const float w = 6.2831855f / period;
    const numeric::resp_coefficients c = numeric::resp_coefficients_for(h5, w, dt01);
    const double h = wide(h5), wd = wide(w), dt = wide(dt01);
    const state from_x = rk4_step({1, 0}, h, wd, dt, 0, 0, 1000);
    const state from_v = rk4_step({0, 1}, h, wd, dt, 0, 0, 1000);
    const state from_g0 = rk4_step({0, 0}, h, wd, dt, 1, 0, 1000);
    const state from_g1 = rk4_step({0, 0}, h, wd, dt, 0, 1, 1000);
    // The homogeneous terms hold a few units of their natural scale (1, 1/w, w). The load terms
    // are small differences of terms of order dt/w, so they lose about 1/(w dt)^2 units.
    const double wdt = wd * dt, load = 64 * u * (1 + 1 / (wdt * wdt));
    struct row {
      const char* name;
      float got;
      double want, tol;
    };
    const row rows[] = {{"a11", c.a11, from_x.x, 16 * u},
                        {"a21", c.a21, from_x.v, 16 * u * wd},
                        {"a12", c.a12, from_v.x, 16 * u / wd},
                        {"a22", c.a22, from_v.v, 16 * u},
                        {"b11", c.b11, from_g0.x, load * std::fabs(from_g0.x)},
                        {"b21", c.b21, from_g0.v, load * std::fabs(from_g0.v)},
                        {"b12", c.b12, from_g1.x, load * std::fabs(from_g1.x)},
                        {"b22", c.b22, from_g1.v, load * std::fabs(from_g1.v)}};
    for (const row& r : rows) EXPECT_NEAR(r.got, r.want, r.tol) << r.name << ", T = " << period;
  }
}

TEST(resp, two_sample_records) {
  const std::vector<float> ramp_up{0.0f, 1.0f};
  const result up = run_resp(h5, w05, dt01, ramp_up);
  EXPECT_EQ(up.acc[0], 0.0f);
  EXPECT_EQ(up.vel[0], 0.0f);
  EXPECT_EQ(up.dis[0], 0.0f);
  EXPECT_NEAR(up.dis[1], -1.6602e-5, 1e-9);
  EXPECT_NEAR(up.vel[1], -4.97258e-3, 1e-8);
  EXPECT_NEAR(up.acc[1], 8.8704e-3, 1e-7);
  EXPECT_EQ(up.sa, std::fabs(up.acc[1]));
  EXPECT_EQ(up.sv, std::fabs(up.vel[1]));
  EXPECT_EQ(up.sd, std::fabs(up.dis[1]));

  const std::vector<float> ramp_down{1.0f, 0.0f};
  const result down = run_resp(h5, w05, dt01, ramp_down);
  EXPECT_EQ(down.vel[0], -0.01f);
  EXPECT_EQ(down.dis[0], 0.0f);
  EXPECT_NEAR(down.acc[0], 0.0125664, 1e-7);
  EXPECT_NEAR(down.dis[1], -1.32237e-4, 1e-9);
  EXPECT_NEAR(down.vel[1], -1.47356e-2, 1e-7);
  EXPECT_NEAR(down.sa, 0.0393993, 1e-7);
}

TEST(resp, resonance_builds_up_to_ten_times_the_input) {
  std::vector<float> ddy(2000);
  for (std::size_t m = 0; m < ddy.size(); ++m)
    ddy[m] = 100.0f * static_cast<float>(std::sin(12.566371 * static_cast<double>(m) * 0.01));
  const result r = run_resp(h5, w05, dt01, ddy);
  EXPECT_NEAR(r.sa, 1003.0, 0.5);
  const histories want = integrate(wide(h5), wide(w05), wide(dt01), ddy);
  double top = 0;
  for (std::size_t m = 1; m < want.acc.size(); ++m) top = std::max(top, std::fabs(want.acc[m]));
  EXPECT_NEAR(r.sa, top, 2e-5 * top);
}

// Long records with a broad-band ground motion, periods from 0.02 s to 10 s.
TEST(resp, histories_match_fine_integration) {
  std::mt19937 gen(11);
  std::normal_distribution<double> noise(0.0, 50.0);
  std::vector<float> ddy(1500);
  for (std::size_t m = 0; m < ddy.size(); ++m) {
    const double t = static_cast<double>(m) * 0.01;
    ddy[m] = static_cast<float>(200.0 * std::sin(3.0 * t) + 100.0 * std::sin(17.0 * t + 1.0) +
                                noise(gen));
  }
  for (float period : {0.02f, 0.1f, 0.5f, 2.0f, 10.0f}) {
    const float w = 6.2831855f / period;
    const result r = run_resp(h5, w, dt01, ddy);
    const histories want = integrate(wide(h5), wide(w), wide(dt01), ddy);
    // Float accuracy: the load terms cost about 1/(w dt) units, the record some more.
    const double tol = 1e-5 + 10 * u / (wide(w) * 0.01);
    const auto check = [&](const char* name, const std::vector<float>& got,
                           const std::vector<double>& exact, float peak) {
      double top = 0;
      for (std::size_t m = 1; m < got.size(); ++m) top = std::max(top, std::fabs(exact[m]));
      for (std::size_t m = 0; m < got.size(); ++m)
        ASSERT_NEAR(got[m], exact[m], tol * top) << name << ", T = " << period << ", m = " << m;
      EXPECT_NEAR(peak, top, tol * top) << name << ", T = " << period;
      // Sample 1 stays out of the peak, every later sample is in it.
      float largest = 0;
      for (std::size_t m = 1; m < got.size(); ++m) largest = std::max(largest, std::fabs(got[m]));
      EXPECT_EQ(peak, largest) << name << ", T = " << period;
    };
    check("acc", r.acc, want.acc, r.sa);
    check("vel", r.vel, want.vel, r.sv);
    check("dis", r.dis, want.dis, r.sd);
  }
}

TEST(resp, output_is_linear_in_the_ground_motion) {
  std::vector<float> a(400), b(400);
  for (std::size_t m = 0; m < a.size(); ++m) {
    a[m] = static_cast<float>(std::sin(0.1 * static_cast<double>(m)));
    b[m] = static_cast<float>(std::cos(0.37 * static_cast<double>(m)) * 3.0);
  }
  const result ra = run_resp(h5, w05, dt01, a);
  const result rb = run_resp(h5, w05, dt01, b);

  // A power of two scales every stored value exactly.
  std::vector<float> a4(a), sum(a);
  for (float& v : a4) v *= 4.0f;
  const result r4 = run_resp(h5, w05, dt01, a4);
  for (std::size_t m = 0; m < a.size(); ++m) {
    ASSERT_EQ(r4.acc[m], 4.0f * ra.acc[m]);
    ASSERT_EQ(r4.vel[m], 4.0f * ra.vel[m]);
    ASSERT_EQ(r4.dis[m], 4.0f * ra.dis[m]);
  }
  EXPECT_EQ(r4.sa, 4.0f * ra.sa);

  // Superposition holds to rounding.
  for (std::size_t m = 0; m < a.size(); ++m) sum[m] = a[m] + b[m];
  const result rs = run_resp(h5, w05, dt01, sum);
  for (std::size_t m = 0; m < a.size(); ++m) {
    ASSERT_NEAR(rs.acc[m], ra.acc[m] + rb.acc[m], 1e-5f * (ra.sa + rb.sa)) << m;
    ASSERT_NEAR(rs.vel[m], ra.vel[m] + rb.vel[m], 1e-5f * (ra.sv + rb.sv)) << m;
    ASSERT_NEAR(rs.dis[m], ra.dis[m] + rb.dis[m], 1e-5f * (ra.sd + rb.sd)) << m;
  }
}

TEST(resp, short_and_quiet_records) {
  // One sample: only the starting state is written, and it never counts as a peak.
  const result one = run_resp(h5, w05, dt01, {1.0f, 5.0f}, 1);
  EXPECT_EQ(one.vel[0], -0.01f);
  EXPECT_EQ(one.dis[0], 0.0f);
  EXPECT_NEAR(one.acc[0], 2 * 0.05 * 12.566371 * 0.01, 1e-9);
  EXPECT_EQ(one.acc[1], 7.0f);  // untouched
  EXPECT_EQ(one.sa, 0.0f);
  EXPECT_EQ(one.sv, 0.0f);
  EXPECT_EQ(one.sd, 0.0f);

  // All zero in, all zero out; elements past nn are left alone.
  const result zero = run_resp(h5, w05, dt01, std::vector<float>(100, 0.0f), 60);
  for (std::size_t m = 0; m < 100; ++m) {
    const float want = m < 60 ? 0.0f : 7.0f;
    ASSERT_EQ(zero.acc[m], want) << m;
    ASSERT_EQ(zero.vel[m], want) << m;
    ASSERT_EQ(zero.dis[m], want) << m;
  }
  EXPECT_EQ(zero.sa, 0.0f);
  EXPECT_EQ(zero.sv, 0.0f);
  EXPECT_EQ(zero.sd, 0.0f);
}

}  // namespace
