#include "numeric/response.h"

#include <cmath>

#include "numeric/single.h"

namespace numeric {
resp_coefficients resp_coefficients_for(float h, float w, float dt) {
  const float w2 = w * w;
  const float hw = h * w;
  const float wd = to_single(std::sqrt(static_cast<double>(1.0f - h * h))) * w;
  const float wdt = wd * dt;
  const float e = to_single(std::exp(static_cast<double>(-hw * dt)));
  const float cwdt = to_single(std::cos(static_cast<double>(wdt)));
  const float swdt = to_single(std::sin(static_cast<double>(wdt)));

  resp_coefficients c{};
  c.a11 = (hw * swdt / wd + cwdt) * e;
  c.a12 = e * swdt / wd;
  c.a21 = -(e * w2 * swdt / wd);
  c.a22 = (cwdt - hw * swdt / wd) * e;

  const float ss = -hw * swdt - wd * cwdt;
  const float cc = -hw * cwdt + wd * swdt;
  const float s1 = (e * ss + wd) / w2;
  const float c1 = (e * cc + hw) / w2;
  const float s2 = (e * dt * ss + hw * s1 + wd * c1) / w2;
  const float c2 = (e * dt * cc + hw * c1 - wd * s1) / w2;
  const float s3 = dt * s1 - s2;
  const float c3 = dt * c1 - c2;

  c.b11 = -s2 / wdt;
  c.b12 = -s3 / wdt;
  c.b21 = (hw * s2 - wd * c2) / wdt;
  c.b22 = (hw * s3 - wd * c3) / wdt;
  c.w2 = w2;
  c.mhw2 = -(hw + hw);
  return c;
}

void resp(float h, float w, float dt, int nn, std::span<const float> ddy, std::span<float> acc,
          std::span<float> vel, std::span<float> dis, float& sa, float& sv, float& sd) {
  const resp_coefficients c = resp_coefficients_for(h, w, dt);

  acc[0] = (h + h) * w * ddy[0] * dt;
  vel[0] = -ddy[0] * dt;
  dis[0] = 0.0f;
  float dx = vel[0];
  float x = 0.0f;
  sa = 0.0f;
  sv = 0.0f;
  sd = 0.0f;

  for (int m = 1; m < nn; ++m) {
    const float dxf = dx;
    const float xf = x;
    const float ddym = ddy[static_cast<std::size_t>(m)];
    const float ddyf = ddy[static_cast<std::size_t>(m - 1)];
    x = c.a12 * dxf + c.a11 * xf + c.b12 * ddym + c.b11 * ddyf;
    dx = c.a22 * dxf + c.a21 * xf + c.b22 * ddym + c.b21 * ddyf;
    const float ddx = c.mhw2 * dx - c.w2 * x;
    acc[static_cast<std::size_t>(m)] = ddx;
    vel[static_cast<std::size_t>(m)] = dx;
    dis[static_cast<std::size_t>(m)] = x;
    // Written as a comparison, not fmax: a NaN response must win, as it does in the reference.
    const float aa = std::fabs(ddx), av = std::fabs(dx), ad = std::fabs(x);
    sa = (sa >= aa) ? sa : aa;
    sv = (sv >= av) ? sv : av;
    sd = (sd >= ad) ? sd : ad;
  }
}

}  // namespace numeric
