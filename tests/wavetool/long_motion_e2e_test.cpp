// Long motions and coarse records: a coarse step resampled by the smallest whole factor, the
// count and step told where the result is still too long, the engineer's displacement limit on
// the command line and in a plan, and plan records that are no file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "run_command.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::scratch_dir;
using testsupport::write_file;
using wavetool_test::run_command;

const fs::path wavetool = GM_WAVETOOL_PATH;

// The number of lines after the header that hold a comma: the samples of a wave file.
std::size_t samples_in(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  std::size_t n = 0;
  while (std::getline(in, line)) n += line.find(',') != std::string::npos ? 1 : 0;
  return n;
}

// n samples at 0.1 s: two slow sines, so that the spectrum is nowhere zero.
std::string coarse_wave(int n) {
  std::string text = "time(s),acc(gal)\r\n";
  for (int i = 0; i < n; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "%.1f,%.6f\r\n", 0.1 * i,
                  50.0 * std::sin(0.7 * i) + 20.0 * std::sin(0.05 * i));
    text += line;
  }
  return text;
}

TEST(wavetool_fit, a_coarse_record_is_resampled_by_the_smallest_whole_factor) {
  const scratch_dir d;
  // 1200 s at 0.1 s: by 10 to 0.01 s, (12000 - 1) * 10 + 1 = 119991 samples, within 2^17.
  write_file(d / "long.csv", coarse_wave(12000));
  const testsupport::run_result fit =
      run_command(wavetool, {"fit", "long.csv", "-o", "f.csv", "--max-iterations", "1"}, d.path());
  EXPECT_EQ(fit.status, 3) << fit.err;
  EXPECT_TRUE(fit.err.starts_with(
      "wavetool: long.csv: step 0.1 s is coarser than half the window's shortest period: "
      "resampled to 0.01 s by band-limited interpolation, fitted and written at that step\n"))
      << fit.err;
  const std::string fitted = read_file(d / "f.csv");
  EXPECT_NE(fitted.find("\r\n1199.9000,"), std::string::npos);
  EXPECT_EQ(samples_in(fitted), 119991u);
  // 1400 s: (14000 - 1) * 10 + 1 = 139991 samples; the longest window at 0.01 s is
  // (131072 - 1) * 0.01 = 1310.71 s.
  write_file(d / "longer.csv", coarse_wave(14000));
  const testsupport::run_result refused =
      run_command(wavetool, {"fit", "longer.csv", "-o", "g.csv"}, d.path());
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err,
            "wavetool: longer.csv: expected at most 131072 samples, found 139991 after resampling "
            "its 14000 samples at 0.1 s to 0.01 s (cut a window of at most 1310.71 s with "
            "wavetool import --start/--end)\n");
  EXPECT_FALSE(fs::exists(d / "g.csv"));
}

// One refusal for one wave wherever it is fitted: a coarse wave too long already at its own step
// is told as given, not as resampled, by fit and by a plan alike, each naming its own way to cut
// a window.
TEST(wavetool_fit, a_wave_too_long_at_its_own_step_is_refused_alike_by_fit_and_suite) {
  const scratch_dir d;
  write_file(d / "long.csv", coarse_wave(131073));
  std::string values;
  for (int i = 0; i < 131073; ++i) values += i % 7 == 0 ? "1.5\n" : "-0.25\n";
  write_file(d / "long.txt", values);
  write_file(d / "p.toml",
             "[[target]]\nname = \"t\"\n[[wave]]\nname = \"long\"\nrecord = \"long.txt\"\n"
             "format = \"values\"\ndt = 0.1\n");
  const std::string found = "expected at most 131072 samples, found 131073 (cut a window with ";
  const testsupport::run_result fit =
      run_command(wavetool, {"fit", "long.csv", "-o", "f.csv"}, d.path());
  EXPECT_EQ(fit.status, 1);
  EXPECT_EQ(fit.err, "wavetool: long.csv: " + found + "wavetool import --start/--end)\n");
  const testsupport::run_result suite =
      run_command(wavetool, {"suite", "p.toml", "--out", "o"}, d.path());
  EXPECT_EQ(suite.status, 1);
  EXPECT_EQ(suite.err, "wavetool: t/long: " + found + "the record's start and end)\n");
  EXPECT_FALSE(fs::exists(d / "f.csv"));
  EXPECT_FALSE(fs::exists(d / "o"));
}

std::string last_line(const std::string& text) {
  const std::size_t end = text.find_last_not_of('\n');
  return text.substr(text.rfind('\n', end) + 1, end - text.rfind('\n', end));
}

TEST(wavetool_fit, a_long_motion_passes_within_the_engineers_displacement_limit) {
  const scratch_dir d;
  // 600 s whose strong motion lasts 400 s: every criterion met at rest, with a peak
  // displacement above the 4 m set for motions of ordinary length.
  ASSERT_EQ(run_command(wavetool,
                        {"seed", "--seed", "5", "--samples", "60000", "--corners", "5,200,400,600",
                         "-o", "s.csv"},
                        d.path())
                .status,
            0);
  const std::vector<std::string> fit{"fit", "s.csv", "-o", "f.csv", "--corners", "5,200,400,600"};
  const testsupport::run_result plain = run_command(wavetool, fit, d.path());
  EXPECT_EQ(plain.status, 3);
  EXPECT_NE(last_line(plain.out).find(" cm > 400 cm"), std::string::npos) << plain.out;
  std::vector<std::string> wider = fit;
  wider.insert(wider.end(), {"--max-pgd", "1000"});
  const testsupport::run_result given = run_command(wavetool, wider, d.path());
  EXPECT_EQ(given.status, 0);
  const std::string verdict = last_line(given.out);
  EXPECT_TRUE(verdict.starts_with("passed after ")) << verdict;
  EXPECT_TRUE(verdict.ends_with(" cm within 1000 cm (--max-pgd)")) << verdict;
}

TEST(wavetool_suite, max_pgd_reaches_the_fit_and_is_checked_with_its_line) {
  const scratch_dir d;
  // A limit of 1 cm no design wave meets: the fit cannot pass, as it passes without it.
  write_file(d / "tight.toml",
             "[defaults]\nmax_iterations = 3\nmax_pgd = 1\n[[target]]\nname = \"t\"\n"
             "[[wave]]\nname = \"w\"\nseed = 1\n");
  const testsupport::run_result tight =
      run_command(wavetool, {"suite", "tight.toml", "--out", "o", "--jobs", "1"}, d.path());
  EXPECT_EQ(tight.status, 3) << tight.err;
  EXPECT_NE(read_file(d / "o/t/w.json").find("\"status\": \"not passed\""), std::string::npos);
  write_file(d / "bad.toml",
             "[[target]]\nname = \"t\"\nmax_pgd = 0\n[[wave]]\nname = \"w\"\nseed = 1\n");
  const testsupport::run_result bad =
      run_command(wavetool, {"suite", "bad.toml", "--out", "b"}, d.path());
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "wavetool: bad.toml:3: max_pgd: expected a displacement above 0 (cm)\n");
  // Seeds by the command line's rule, seedwave's: a negative one is drawn as `seed --seed -5`.
  write_file(d / "negative.toml", "[[target]]\nname = \"t\"\n[[wave]]\nname = \"w\"\nseed = -5\n");
  const testsupport::run_result negative =
      run_command(wavetool, {"suite", "negative.toml", "--out", "n", "--list"}, d.path());
  EXPECT_EQ(negative.status, 0) << negative.err;
  EXPECT_EQ(negative.err, "");
}

TEST(wavetool_suite, a_record_that_is_no_file_says_what_it_is) {
  const scratch_dir d;
  fs::create_directory(d / "d");
  ASSERT_EQ(::mkfifo((d / "pipe").c_str(), 0600), 0);
  struct row {
    const char* record;
    const char* err;
  };
  for (const row& r : {row{"d", "wavetool: p.toml:5: record \"d\": is a folder, not a file\n"},
                       row{"pipe", "wavetool: p.toml:5: record \"pipe\": is a FIFO, not a file\n"},
                       row{"none", "wavetool: p.toml:5: record \"none\": no such file\n"}}) {
    write_file(d / "p.toml", std::string("[[target]]\nname = \"t\"\n[[wave]]\nname = \"w\"\n") +
                                 "record = \"" + r.record + "\"\n");
    const testsupport::run_result run =
        run_command(wavetool, {"suite", "p.toml", "--out", "o"}, d.path());
    EXPECT_EQ(run.status, 1) << r.record;
    EXPECT_EQ(run.err, r.err);
    EXPECT_FALSE(fs::exists(d / "o")) << r.record;
  }
  // A seed's step its time column cannot hold, as seed --dt refuses it.
  write_file(d / "p.toml",
             "[[target]]\nname = \"t\"\n[[wave]]\nname = \"w\"\nseed = 1\ndt = 1e-10\n");
  const testsupport::run_result fine =
      run_command(wavetool, {"suite", "p.toml", "--out", "o"}, d.path());
  EXPECT_EQ(fine.status, 1);
  EXPECT_EQ(fine.err,
            "wavetool: p.toml:3: dt: expected a step the seed's time column holds with at most 9 "
            "decimals\n");
}

}  // namespace
