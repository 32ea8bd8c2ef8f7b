// The seed wave as fitwave's input: over the iterations the fit must close in on the target.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "run_program.h"

namespace {

using testsupport::read_file;
using testsupport::run_program;
using testsupport::scratch_dir;

// The values printed after label, one per iteration, in order.
std::vector<double> criteria(const std::string& out, std::string_view label) {
  std::vector<double> values;
  for (std::size_t at = out.find(label); at != std::string::npos; at = out.find(label, at + 1)) {
    values.push_back(std::strtod(out.c_str() + at + label.size(), nullptr));
  }
  return values;
}

TEST(seed_then_fit, five_iterations_close_in_on_the_target) {
  scratch_dir dir;
  const auto seed = run_program(GM_SEEDWAVE_PATH, dir.path(), "1\n0\nseed.csv\n");
  ASSERT_EQ(seed.status, 0);

  // Input name, nit = 5, default corners, default ampfac = 1/5, then the two result files.
  const auto fit =
      run_program(GM_FITWAVE_PATH, dir.path(), "seed.csv\n5\n0\n0\nspectra.csv\nfitted.csv\n");
  EXPECT_EQ(fit.err, "");
  ASSERT_EQ(fit.status, 0);
  EXPECT_NE(fit.out.find(" NT and DT= 8192  0.00999999978\r\n"), std::string::npos);
  EXPECT_NE(fit.out.find("  Iteration Number = 5\r\n"), std::string::npos);

  // Criterion 3: RMS deviation of the ratio computed/target from 1 over 0.02..10 s.
  // Criterion 4: mean ratio over the same window.
  const std::vector<double> cr3 = criteria(fit.out, "   Error Criteria 3 (<=0.05):");
  const std::vector<double> cr4 = criteria(fit.out, "   Error Criteria 4 (>=0.95):");
  ASSERT_EQ(cr3.size(), 5u);
  ASSERT_EQ(cr4.size(), 5u);
  for (std::size_t k = 1; k < cr3.size(); ++k) {
    EXPECT_LT(cr3[k], cr3[k - 1]) << "iteration " << k + 1;
    EXPECT_LT(std::abs(cr4[k] - 1.0), std::abs(cr4[k - 1] - 1.0)) << "iteration " << k + 1;
  }
  EXPECT_LT(cr3.back(), 0.5 * cr3.front());

  EXPECT_EQ(read_file(dir / "fitted.csv").substr(0, 38),
            " time(sec),Acc(gal),eamp,eamp*ampfac\r\n");
  EXPECT_EQ(read_file(dir / "spectra.csv").substr(0, 22), "period(sec),kokuji1461");
}

}  // namespace
