// `wavetool fit` run as a script runs it: the demo seed and a real recording come out passing
// and at rest as `wavetool check` reads them back, the limit gives status 3 with the files
// written, and bad input or usage leaves no file behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "run_command.h"
#include "run_program.h"

namespace {

using testsupport::read_file;
using testsupport::scratch_dir;

// The program with the blank-separated arguments, run in dir.
testsupport::run_result wavetool(const scratch_dir& dir, const std::string& args) {
  std::vector<std::string> words;
  std::istringstream in(args);
  for (std::string w; in >> w;) words.push_back(w);
  return wavetool_test::run_command(GM_WAVETOOL_PATH, words, dir.path());
}

std::string last_line(const std::string& text) {
  const std::size_t end = text.rfind('\n');
  if (end == std::string::npos) return {};
  const std::size_t start = text.rfind('\n', end - 1);
  return text.substr(start == std::string::npos ? 0 : start + 1, end - start - 1);
}

// Every other sample of a wave in fitwave's input layout: the wave at twice its step.
std::string every_other_sample(const std::string& text) {
  std::istringstream in(text);
  std::string line, out;
  std::getline(in, line);
  out = line + "\n";
  for (int i = 0; std::getline(in, line); ++i) {
    if (i % 2 == 0) out += line + "\n";
  }
  return out;
}

// Acceptance: exit 0, one progress line per iteration (at most 30), and the written wave passes
// all four criteria, ends at rest and keeps its peak displacement plausible under check. The
// recording goes the user's way: the PEER file imported first. The seed at 0.02 s is fitted at
// 0.01 s, saying so; with --keep-step at its own step, judged from 0.04 s (two steps). Against
// another spectrum (a seed drawn for it, or the recording) the fit names it first and in the
// verdict, and check, given the same spectrum, recomputes the criteria at its damping: they are
// the fit's last progress line to its four decimals.
TEST(wavetool_fit, seed_and_recording_pass_at_rest) {
  struct row {
    const char* wave;  // a file, or "seed ..." for the seed wavetool draws with these arguments
    const char* options;
    const char* err;
    const char* verdict_end;
    const char* second_time;    // of the fitted wave: its step
    const char* spectrum = "";  // options of fit and check both
    const char* named = "";     // the description the fit shows
  };
  const char* surface2 = " --spectrum surface --soil 2 --level rare --damping 0.03";
  const char* ec8 = " --spectrum ec8 --ec8-type 1 --ground C --ag 0.3";
  const char* resampled =
      "wavetool: wave.csv: step 0.02 s is coarser than half the window's shortest period: "
      "resampled to 0.01 s by band-limited interpolation, fitted and written at that step\n";
  for (const row& c :
       {row{GM_GOLDEN_DIR "/seed1.csv", "", "", "at rest", "  0.0100"},
        row{GM_WAVETOOL_DATA "/RSN753_LOMAP_CLS000.AT2", " --corners 2,16,30,40", "", "at rest",
            "  0.0050"},
        row{GM_GOLDEN_DIR "/seed1.csv half", "", resampled, "at rest", "  0.0100"},
        row{GM_GOLDEN_DIR "/seed1.csv half", " --keep-step", "",
            "at rest (criteria 1, 3, 4 judged from 0.04 s, the shortest period of the step 0.02 s)",
            "  0.0200"},
        row{"seed --seed 3", "", "", "at rest", "  0.0100", surface2,
            "surface soil 2, rare level, Z 1, h 0.03"},
        row{"seed --seed 3", "", "", "at rest", "  0.0100", ec8,
            "ec8 type 1, ground C, ag 0.3 g, h 0.05"},
        row{GM_WAVETOOL_DATA "/RSN753_LOMAP_CLS000.AT2", " --corners 2,16,30,40", "", "at rest",
            "  0.0050", " --spectrum surface --soil 1",
            "surface soil 1, extreme level, Z 1, h 0.05"},
        row{GM_WAVETOOL_DATA "/RSN753_LOMAP_CLS000.AT2", " --corners 2,16,30,40", "", "at rest",
            "  0.0050", " --spectrum table --table " GM_WAVETOOL_DATA "/site_spectrum.txt",
            "table " GM_WAVETOOL_DATA "/site_spectrum.txt, h 0.05"},
        // A 600 s seed, beyond fitwave's 32768 samples: a transform of 65536.
        row{"seed --seed 1 --samples 60000", "", "", "at rest", "  0.0100"}}) {
    scratch_dir dir;
    std::string wave = c.wave;
    if (wave.starts_with("seed ")) {
      ASSERT_EQ(wavetool(dir, wave + c.spectrum + " -o wave.csv").status, 0);
    } else if (wave.ends_with(".AT2")) {
      std::filesystem::copy_file(c.wave, dir / "record.AT2");
      ASSERT_EQ(wavetool(dir, "import record.AT2 -o wave.csv").status, 0);
    } else if (wave.ends_with(" half")) {
      wave.resize(wave.size() - 5);
      testsupport::write_file(dir / "wave.csv", every_other_sample(read_file(wave)));
    } else {
      std::filesystem::copy_file(c.wave, dir / "wave.csv");
    }
    const testsupport::run_result r =
        wavetool(dir, "fit wave.csv -o fitted.csv --spectra table.csv" + std::string(c.options) +
                          c.spectrum);
    const std::string named = c.named;
    EXPECT_EQ(r.status, 0) << c.wave << r.out << r.err;
    EXPECT_EQ(r.err, c.err);
    const std::string verdict = last_line(r.out);
    EXPECT_EQ(verdict.rfind("passed after ", 0), 0u) << r.out;
    EXPECT_TRUE(verdict.ends_with(c.verdict_end)) << verdict;
    EXPECT_EQ(verdict.find(" against "),
              named.empty() ? std::string::npos : verdict.find(" against " + named + ":"))
        << verdict;
    EXPECT_EQ(r.out.rfind("fitting to ", 0) == 0, !named.empty()) << r.out;
    if (!named.empty()) {
      EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "fitting to " + named);
    }
    const std::string fitted = read_file(dir / "fitted.csv");
    EXPECT_EQ(fitted.substr(fitted.find("\r\n", fitted.find("\r\n") + 2) + 2, 8), c.second_time);
    int iterations = 0;
    for (std::size_t at = r.out.find("iteration "); at != std::string::npos;
         at = r.out.find("\niteration ", at + 1)) {
      ++iterations;
    }
    EXPECT_GE(iterations, 1);
    EXPECT_LE(iterations, 30);
    // The target's column is headed by fitwave's name, or by the one chosen, one field still.
    std::string target_field = named.empty() ? "kokuji1461" : named;
    std::replace(target_field.begin(), target_field.end(), ',', ';');
    EXPECT_TRUE(read_file(dir / "table.csv")
                    .starts_with("period(sec)," + target_field + ",Iteration No.  0,"));

    const testsupport::run_result check =
        wavetool(dir, "check fitted.csv --json" + std::string(c.spectrum));
    ASSERT_EQ(check.status, 0) << check.err;
    const nlohmann::json j = nlohmann::json::parse(check.out);
    EXPECT_LE(std::abs(j["end_velocity"].get<double>()), 0.1) << c.wave;
    EXPECT_LE(std::abs(j["end_displacement"].get<double>()), 1.0) << c.wave;
    EXPECT_LE(j["pgd"].get<double>(), 300.0) << c.wave;
    EXPECT_GE(j["criteria"]["cr1"].get<double>(), 0.85);
    EXPECT_GE(j["criteria"]["cr2"].get<double>(), 1.0);
    EXPECT_LE(j["criteria"]["cr3"].get<double>(), 0.05);
    EXPECT_GE(j["criteria"]["cr4"].get<double>(), 0.95);
    EXPECT_EQ(j.contains("spectrum"), !named.empty());
    if (!named.empty()) {
      EXPECT_EQ(j["spectrum"], named);
    }
    // The last progress line, the iteration written, against check's recomputation.
    const std::size_t at = r.out.rfind("\niteration ");
    ASSERT_NE(at, std::string::npos) << r.out;
    const std::string progress = r.out.substr(at + 1, r.out.find('\n', at + 1) - at - 1);
    char expected[120];
    std::snprintf(expected, sizeof expected, "  cr1 %.4f  cr2 %.4f  cr3 %.4f  cr4 %.4f  end v",
                  j["criteria"]["cr1"].get<double>(), j["criteria"]["cr2"].get<double>(),
                  j["criteria"]["cr3"].get<double>(), j["criteria"]["cr4"].get<double>());
    EXPECT_NE(progress.find(expected), std::string::npos) << progress << "\n" << expected;
  }
}

// Status and what is left: files only where the fit ran. fitwave's own first iteration of seed 1
// leaves criterion 3 at 0.20, so one iteration cannot pass.
TEST(wavetool_fit, limit_bad_input_and_usage) {
  struct row {
    const char* args;
    int status;
    const char* start;  // of the last line of standard output, or of standard error
    bool written;
  };
  const row rows[] = {
      {"fit seed1.csv -o fitted.csv --spectra t.csv --max-iterations 1", 3,
       "not passed after 1 iteration (the limit), wrote iteration 1:", true},
      {"fit seed1.csv -o fitted.csv --no-rest", 0, "passed after ", true},
      {"fit missing.csv -o fitted.csv", 1, "wavetool: missing.csv", false},
      {"fit words.csv -o fitted.csv", 1, "wavetool: words.csv:3", false},
      {"fit long.csv -o fitted.csv", 1,
       "wavetool: long.csv: expected at most 131072 samples, found 131073", false},
      {"fit seed1.csv -o nofolder/fitted.csv", 1, "wavetool: ", false},
      {"fit seed1.csv", 2, "wavetool: ", false},
      {"fit seed1.csv -o fitted.csv --corners 4,35,60", 2, "wavetool: ", false},
      {"fit seed1.csv -o fitted.csv --corners 80,60,35,4", 2, "wavetool: ", false},
      {"fit seed1.csv -o fitted.csv --max-iterations 0", 2, "wavetool: ", false},
      {"fit seed1.csv -o fitted.csv --spectrum surface", 2, "wavetool: --soil", false},
      {"fit seed1.csv -o fitted.csv --spectrum table --table short.txt", 1,
       "wavetool: short.txt: the table's periods 0.05 to 8 s do not reach the criteria's 0.02 to "
       "10 s",
       false},
      {"fit seed1.csv -o fitted.csv --spectrum table --table short.txt --window 0.05,8 "
       "--spectra t.csv --max-iterations 1",
       3, "not passed after 1 iteration against table short.txt, h 0.05 (the limit)", true},
      {"check seed1.csv --spectrum table --table short.txt --window 0.02,4", 1,
       "wavetool: short.txt: the table's periods 0.05 to 8 s do not reach the criteria's 0.02 to "
       "5 s",
       false},
      {"check seed1.csv --spectrum asce7 --sds 1 --sd1 0.6 --tl 8 --damping 0.03", 2,
       "wavetool: ", false},
  };
  scratch_dir dir;
  std::filesystem::copy_file(GM_GOLDEN_DIR "/seed1.csv", dir / "seed1.csv");
  testsupport::write_file(dir / "words.csv", "time,acc\r\n0,1\r\n0.01,abc\r\n");
  std::string long_wave = "time,acc\n";
  for (int i = 0; i <= 131072; ++i) long_wave += std::to_string(i) + "e-2,1\n";
  testsupport::write_file(dir / "long.csv", long_wave);
  testsupport::write_file(dir / "short.txt", "# T (s), Sa (gal)\n0.05 500\n0.5 800\n8 60\n");
  for (const row& c : rows) {
    std::filesystem::remove(dir / "fitted.csv");
    std::filesystem::remove(dir / "t.csv");
    const testsupport::run_result r = wavetool(dir, c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out << r.err;
    const std::string line = c.status == 0 || c.status == 3 ? last_line(r.out) : r.err;
    EXPECT_EQ(line.rfind(c.start, 0), 0u) << c.args << "\n" << line;
    EXPECT_EQ(std::filesystem::exists(dir / "fitted.csv"), c.written) << c.args;
    if (c.status == 3) {
      EXPECT_NE(last_line(r.out).find("criterion 3"), std::string::npos) << r.out;
      EXPECT_TRUE(std::filesystem::exists(dir / "t.csv"));
    }
  }
}

// One grammar: wavetool check counts the samples and takes the step of every file as fitwave
// itself does (its "NT and DT=" line, from the unit read), on the corners of the free-form read:
// a number cut by junk, values running over lines, a slash, repeat counts, trailing commas, a
// last line without its line end, a byte-order mark. Where fitwave
// refuses the wave, check refuses it too.
TEST(wavetool_check, reads_every_wave_as_fitwave_reads_it) {
  const char* const rows[] = {
      "h\r\n0 1\r\n0.01 1x\r\n0.02 3\r\n",
      "h\n0\n1\n0.01 2 0.02 3\n0.03,4\n",
      "h\n0 1\n/\n0.02 3\n",
      "h\n0 1\n0.01 2\n0.02 3",
      "\xEF\xBB\xBFh\r\n0,1\r\n0.01,2\r\n",
      "h\n0,1,\n0.01,2,\n",
      "h\n2*0.5\n1 2\n",
      "h\n0 1\n\n\n0.01 2\n",
      "h\n0 1\n",
  };
  for (const char* text : rows) {
    scratch_dir dir;
    testsupport::write_file(dir / "w.csv", text);
    const testsupport::run_result fit = wavetool_test::run_command(
        GM_FITWAVE_PATH, {}, dir.path(), "w.csv\r\n0\r\n0\r\n0\r\ns.csv\r\nf.csv\r\n");
    const testsupport::run_result check = wavetool(dir, "check w.csv --json");
    const std::size_t at = fit.out.find("NT and DT=");
    if (at == std::string::npos) {
      // fitwave's refusals: too few samples, or a step that is not positive.
      EXPECT_TRUE(fit.out.find("NT<2") != std::string::npos ||
                  fit.out.find("DT<=0") != std::string::npos)
          << text << fit.out;
      EXPECT_EQ(check.status, 1) << text << check.out;
      continue;
    }
    std::istringstream line(fit.out.substr(at + 10));
    long nt = 0;
    float dt = 0;
    line >> nt >> dt;
    ASSERT_EQ(check.status, 0) << text << check.err;
    const nlohmann::json j = nlohmann::json::parse(check.out);
    EXPECT_EQ(j["samples"].get<long>(), nt) << text;
    EXPECT_EQ(static_cast<float>(j["dt"].get<double>()), dt) << text;
  }
}

// A REGRESSION RECORD, not an independent expectation: seed 1 fitted for at most five iterations
// (it passes at the third), its console and both files as this version of the method wrote them
// (data/regression). It makes an
// accidental change of the method visible (a fade beyond the window with 1 - cos instead of
// 1 + cos moves the fifth iteration's PGD by tens of centimetres); a deliberate change updates
// the record in the same commit.
TEST(wavetool_fit, regression_record_of_seed1_at_five_iterations) {
  const std::string record = GM_WAVETOOL_DATA "/regression/seed1-fit5";
  scratch_dir dir;
  std::filesystem::copy_file(GM_GOLDEN_DIR "/seed1.csv", dir / "seed1.csv");
  const testsupport::run_result r =
      wavetool(dir, "fit seed1.csv -o fitted.csv --spectra spectra.csv --max-iterations 5");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, read_file(record + ".console"));
  const std::string fitted = read_file(record + "-fitted.csv");
  ASSERT_GT(fitted.size(), 400000u);
  EXPECT_TRUE(read_file(dir / "fitted.csv") == fitted) << "fitted wave differs from the record";
  EXPECT_TRUE(read_file(dir / "spectra.csv") == read_file(record + "-spectra.csv"))
      << "spectra table differs from the record";
}

}  // namespace
