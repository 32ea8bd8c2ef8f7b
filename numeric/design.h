// The design target spectrum for the engineering bedrock and the four-corner time envelope.
#pragma once

namespace numeric {

// Target 5 %-damped spectral acceleration (gal) at circular frequency omega > 0 (rad/s), single
// precision: 512/T below om1 = 9.817477, 3000*T + 320 above om2 = 39.26991, 800 between.
float tgtsa(float omega);
// dtgtsa differs from tgtsa in argument, precision and corner tests: it takes the period T > 0
// (s), in double, with corner periods per1 (0.16 s) and per2 (0.64 s): 3000*T + 320 for
// T < per1, 512/T for T >= per2, 800 between.
double dtgtsa(double period, double per1 = 0.16, double per2 = 0.64);

// Envelope at time t (s) with corner times tb, tc, td, te (s), single precision: (t/tb)^2 up to
// tb, 1 up to tc, exponential decay to 0.1 at td, 0.1*((te-t)/(te-td))^2 up to te, 0 after;
// each corner belongs to the earlier piece. With tb = 0 the rise is skipped (the value at t = 0
// comes from the later branches).
float envamp(float t, float tb, float tc, float td, float te);
// denvamp differs from envamp in precision, level and corner tests: double, the level afac
// (not 0.1) at td, and each corner belonging to the later piece (strict t < corner tests).
double denvamp(double t, double tb, double tc, double td, double te, double afac);

}  // namespace numeric
