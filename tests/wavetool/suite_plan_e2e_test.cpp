// A plan's keys as `wavetool suite` takes them: a fit in a plan is `wavetool fit` with the same
// options, and a broken plan is refused with its line before any work.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "suite_scratch.h"

namespace {

using namespace suite_test;

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> w;
  std::istringstream in(text);
  for (std::string x; in >> x;) w.push_back(x);
  return w;
}

// A fit in a plan is `wavetool fit` of the same wave with the same options: the same fitted
// bytes and status; its result file holds the options and the criteria `wavetool check` gives
// of the written wave against that spectrum; the report draws the chosen damping and window.
// El Centro's 0.02 s step is resampled to 0.01 s first, with one line on standard error, unless
// keep_step (the criteria are then judged from the step's shortest period, 0.04 s).
TEST(wavetool_suite, a_fit_in_a_plan_is_wavetool_fit_with_the_same_options) {
  struct row {
    const char* keys;     // the [[target]]'s and the [[wave]]'s own, as in the plan
    const char* options;  // of fit and check, besides --max-iterations 3 and the corners
    const char* wave;     // the record
    const char* note;     // suite's standard error before its progress line
    const char* page;     // in report.html
    double dt;            // the step fitted (s)
  };
  const std::string resampled =
      "wavetool: t/w: step 0.02 s is coarser than half the window's shortest period: resampled "
      "to 0.01 s by band-limited interpolation, fitted and written at that step\n";
  const row rows[] = {
      {"damping = 0.03\n", "--damping 0.03", "seed1", "", "Spectral acceleration, 3 % damping",
       0.01},
      {"damping = 0.025\nspectrum = \"surface\"\nsoil = 3\n",
       "--damping 0.025 --spectrum surface --soil 3", "seed1", "",
       "Spectral acceleration, 2.5 % damping", 0.01},
      {"window = [0.1, 5]\n", "--window 0.1,5", "seed1", "",
       "<td>0.1&ndash;5 s</td><td>&ge; 0.85</td>", 0.01},
      {"", "", "elcentro", resampled.c_str(), "<td>0.02&ndash;10 s</td>", 0.01},
      {"keep_step = true\n", "--keep-step", "elcentro", "", "<td>0.02&ndash;10 s</td>", 0.02},
      // A window from 0.05 s judges El Centro at its own step.
      {"window = [0.05, 10]\n", "--window 0.05,10", "elcentro", "", "<td>0.05&ndash;10 s</td>",
       0.02},
  };
  for (const row& c : rows) {
    const scratch_dir d;
    prepare(d, "");
    fs::copy_file(GM_WAVETOOL_DATA "/elcentro_1940_ns.dat", d / "elcentro.dat");
    const std::string keys = c.keys;
    const bool wave_key = keys.starts_with("keep_step");
    const std::string record = std::string(c.wave) == "seed1"
                                   ? "record = \"seed1.csv\"\nformat = \"columns\"\n"
                                   : "record = \"elcentro.dat\"\nformat = \"values\"\n"
                                     "dt = 0.02\nunits = \"g\"\n";
    write_file(d / "plan.toml",
               "[defaults]\nmax_iterations = 3\ncorners = [1, 10, 25, 30]\n"
               "[[target]]\nname = \"t\"\n" +
                   (wave_key ? "" : keys) + "[[wave]]\nname = \"w\"\n" + record +
                   (wave_key ? keys : ""));
    const run_result suite = run(d.path(), {"suite", "plan.toml", "--out", "out"});
    ASSERT_NE(suite.status, 1) << c.keys << suite.err;
    EXPECT_TRUE(suite.err.starts_with(std::string(c.note) + "[1/1] t/w ")) << c.keys << suite.err;
    EXPECT_EQ(count_of(suite.err, "\n"), std::string(c.note).empty() ? 1u : 2u) << suite.err;

    std::string wave = "seed1.csv";
    if (wave_key || std::string(c.wave) == "elcentro") {
      wave = "elcentro.csv";
      ASSERT_EQ(run(d.path(), {"import", "elcentro.dat", "-o", wave, "--format", "values", "--dt",
                               "0.02", "--units", "g"})
                    .status,
                0);
    }
    std::vector<std::string> fit = {
        "fit", wave, "-o", "fitted.csv", "--max-iterations", "3", "--corners", "1,10,25,30"};
    for (const std::string& w : words(c.options)) fit.push_back(w);
    const run_result alone = run(d.path(), fit);
    EXPECT_EQ(suite.status, alone.status) << c.keys << alone.err;
    EXPECT_EQ(read_file(d / "out/t/w.csv"), read_file(d / "fitted.csv")) << c.keys;

    const nlohmann::json j = nlohmann::json::parse(read_file(d / "out/t/w.json"));
    std::vector<std::string> check_args = {"check", "out/t/w.csv", "--json"};
    for (const std::string& w : words(c.options)) {
      if (w != "--keep-step") check_args.push_back(w);
    }
    const run_result check = run(d.path(), check_args);
    ASSERT_EQ(check.status, 0) << c.keys << check.err;
    const nlohmann::json checked = nlohmann::json::parse(check.out);
    for (const char* key : {"cr1", "cr2", "cr3", "cr4"}) {
      EXPECT_EQ(j[key], checked["criteria"][key]) << c.keys << key;
    }
    EXPECT_EQ(j["dt"], c.dt) << c.keys;
    const std::string options = c.options;
    EXPECT_EQ(j["options"]["damping"], options.find("0.025") != std::string::npos  ? 0.025
                                       : options.find("0.03") != std::string::npos ? 0.03
                                                                                   : 0.05);
    EXPECT_EQ(j["options"]["window"],
              options.find("0.1,5") != std::string::npos     ? nlohmann::json({0.1, 5.0})
              : options.find("0.05,10") != std::string::npos ? nlohmann::json({0.05, 10.0})
                                                             : nlohmann::json({0.02, 10.0}));
    EXPECT_EQ(j["options"]["keep_step"], wave_key) << c.keys;
    EXPECT_NE(read_file(d / "out/report.html").find(c.page), std::string::npos) << c.keys;
  }
}

// A broken plan is refused before any work, with its line, and nothing is written.
TEST(wavetool_suite, bad_plans_are_refused_with_their_line) {
  struct row {
    const char* plan;
    const char* err;  // the whole of standard error; a prefix where it ends in '*'
  };
  const row rows[] = {
      {"[[target]]\nname = \"t\"\ncolour = \"red\"\n",
       "wavetool: plan.toml:3: unknown key \"colour\" in [[target]]\n"},
      {"[[target]]\nname = \"t\"\n[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\nshift = 2\n",
       "wavetool: plan.toml:6: unknown key \"shift\" in [[wave]]\n"},
      // The parser quotes the line break it stopped at: the message stays on one line.
      {"[[target]]\nname = \"t\"\nno_rest = t\n", "wavetool: plan.toml:3: *"},
      {"[options]\njobs = 2\n",
       "wavetool: plan.toml:1: unknown key \"options\" (expected [defaults], [[target]], "
       "[[wave]], [[site]])\n"},
      {"[defaults]\ncorners = \"4,35,60,80\"\n",
       "wavetool: plan.toml:2: corners: expected four numbers [TB, TC, TD, TE] with 0 <= TB <= TC "
       "<= TD <= TE, TE > 0\n"},
      {"[defaults]\ncorners = [80, 60, 35, 4]\n",
       "wavetool: plan.toml:2: corners: expected four numbers [TB, TC, TD, TE] with 0 <= TB <= TC "
       "<= TD <= TE, TE > 0\n"},
      // The rule `wavetool fit --corners` and `wavetool seed --corners` tell.
      {"[defaults]\ncorners = [1, 2, 3]\n",
       "wavetool: plan.toml:2: corners: expected four numbers [TB, TC, TD, TE] with 0 <= TB <= TC "
       "<= TD <= TE, TE > 0\n"},
      {"[defaults]\ncorners = [4, 3, 60, 80]\n",
       "wavetool: plan.toml:2: corners: expected four numbers [TB, TC, TD, TE] with 0 <= TB <= TC "
       "<= TD <= TE, TE > 0\n"},
      {"[defaults]\nmax_iterations = 0\n",
       "wavetool: plan.toml:2: max_iterations: expected an integer from 1 to 1000\n"},
      {"[[target]]\nname = \"t\"\nspectrum = \"mars\"\n",
       "wavetool: plan.toml:3: spectrum: expected bedrock, surface, ec8, asce7 or table, found "
       "\"mars\"\n"},
      {"[[target]]\nname = \"t\"\nspectrum = \"surface\"\nsoil = 4\n",
       "wavetool: plan.toml:4: soil: expected 1, 2 or 3, found \"4\"\n"},
      {"[[target]]\nname = \"t\"\nspectrum = \"surface\"\n",
       "wavetool: plan.toml:1: soil: required by the surface spectrum\n"},
      {"[defaults]\nsoil = 2\n[[target]]\nname = \"t\"\n",
       "wavetool: plan.toml:2: soil: not an option of the bedrock spectrum (in [defaults], for "
       "target \"t\")\n"},
      {"[[target]]\nname = \"t\"\nzone = \"1\"\n",
       "wavetool: plan.toml:3: zone: expected a number\n"},
      {"[[target]]\nname = \"t\"\nspectrum = \"asce7\"\nsds = 1.0\nsd1 = 0.6\ntl = 8\n"
       "damping = 0.03\n",
       "wavetool: plan.toml:7: damping: the asce7 spectrum is defined at 0.05 only\n"},
      {"[[target]]\nname = \"t\"\nlevel = \"rare\"\ndamping = 1.5\n",
       "wavetool: plan.toml:4: damping: expected 0 < H < 1, found 1.5\n"},
      {"[[target]]\nname = \"t\"\n[[wave]]\nname = \"w\"\nseed = 1\nkeep_step = 1\n",
       "wavetool: plan.toml:6: keep_step: expected true or false\n"},
      // Refused as `wavetool fit` refuses the wave, once it is read, before any fit.
      {"[[target]]\nname = \"t\"\nwindow = [500, 600]\n[[wave]]\nname = \"w\"\n"
       "record = \"seed1.csv\"\nformat = \"columns\"\n",
       "wavetool: t/w: criterion 1 cannot be judged: no period of 8192 samples at 0.01 s lies in "
       "its window 500..600 s\n"},
      {"[[target]]\nname = \"t\"\nspectrum = \"table\"\ntable = \"short.txt\"\n",
       "wavetool: plan.toml:4: table: the table's periods 0.1 to 5 s do not reach the criteria's "
       "0.02 to 10 s (never extrapolated)\n"},
      {"[[target]]\nname = \"a/b\"\n",
       "wavetool: plan.toml:2: name: expected letters, digits, '-', '_' or '.' (not first), found "
       "\"a/b\"\n"},
      {"[[target]]\nname = \"t\"\n[[target]]\nname = \"t\"\n",
       "wavetool: plan.toml:3: a second target named \"t\" (the first at line 1)\n"},
      {"[[target]]\nspectrum = \"bedrock\"\n",
       "wavetool: plan.toml:1: [[target]]: expected a name\n"},
      {"[[wave]]\nname = \"w\"\nrecord = \"missing.AT2\"\n",
       "wavetool: plan.toml:3: record \"missing.AT2\": no such file\n"},
      {"[[wave]]\nname = \"w\"\nseed = 1\nsamples = 4096\n",
       "wavetool: plan.toml:1: samples: the seed lasts 40.96 s, shorter than its envelope's 60 "
       "s\n"},
      {"[[wave]]\nname = \"w\"\nseed = 1\ndt = 0.2\n",
       "wavetool: plan.toml:1: dt: a seed's step is at most 0.1 s\n"},
      {"[[wave]]\nname = \"w\"\n",
       "wavetool: plan.toml:1: [[wave]]: expected either seed or record\n"},
      {"[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\nexport = [\"sac\"]\n",
       "wavetool: plan.toml:4: export: expected one of columns, opensees, at2, found \"sac\"\n"},
      {"[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\nstart = 5\nend = 1\n",
       "wavetool: plan.toml:1: start: must not be later than end\n"},
      {"[[target]]\nname = \"t\"\nwindow = [10, 0.02]\n",
       "wavetool: plan.toml:3: window: expected TMIN,TMAX (s) with 0 < TMIN < TMAX, found "
       "\"10,0.02\"\n"},
      {"[[target]]\nname = \"t\"\nwindow = [1, 1]\n",
       "wavetool: plan.toml:3: window: expected TMIN,TMAX (s) with 0 < TMIN < TMAX, found "
       "\"1,1\"\n"},
      {"[[target]]\nname = \"t\"\nname = \"u\"\n", "wavetool: plan.toml:3: *"},
      {"[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\n",
       "wavetool: plan.toml: expected at least one [[target]]\n"},
      // Sites and waves scaled instead of fitted.
      {"[[site]]\nname = \"a\"\ncolour = 1\n[[target]]\nname = \"t\"\n",
       "wavetool: plan.toml:3: unknown key \"colour\" in [[site]]\n"},
      {"[[site]]\nname = \"a\"\n[[site.layer]]\nthickness = 5.0\nvs = 150.0\n"
       "unit_weight = 17.0\n[[target]]\nname = \"t\"\n",
       "wavetool: plan.toml:3: curve: missing in [[site.layer]]\n"},
      {"[[site]]\nname = \"a\"\n[[site.layer]]\nthickness = 5.0\nvs = 150.0\n"
       "unit_weight = 17.0\ncurve = \"linear\"\ndamping = 0.02\n[[target]]\nname = \"t\"\n",
       "wavetool: plan.toml:1: expected a [site.bedrock]\n"},
      {"[[site]]\nname = \"a\"\nlayer = 3\n",
       "wavetool: plan.toml:3: layer: expected [[site.layer]] tables\n"},
      {"[[site]]\nname = \"a\"\n[[site.layer]]\nthickness = -5.0\nvs = 150.0\n"
       "unit_weight = 17.0\ncurve = \"linear\"\ndamping = 0.02\n[site.bedrock]\nvs = "
       "400.0\nunit_weight = 19.0\n",
       "wavetool: plan.toml:4: thickness: must be positive\n"},
      {"[[site]]\nname = \"a\"\nprofile = \"missing.toml\"\n",
       "wavetool: plan.toml:3: profile \"missing.toml\": cannot be read: No such file or "
       "directory\n"},
      {"[[site]]\nname = \"a\"\nmethod = \"linear\"\nprofile = \"site.toml\"\n",
       "wavetool: plan.toml:3: method: the profile is in its file; a [[site]] with `profile` "
       "holds only name, profile and compare_soil\n"},
      {"[[site]]\nname = \"a\"\ncompare_soil = 4\n",
       "wavetool: plan.toml:3: compare_soil: expected an integer from 1 to 3\n"},
      {"[[site]]\nname = \"a\"\n[[site.layer]]\nthickness = 5.0\nvs = 150.0\nunit_weight = 17.0\n"
       "curve = \"linear\"\ndamping = 0.02\n[site.bedrock]\nvs = 400.0\nunit_weight = 19.0\n"
       "[[target]]\nname = \"t\"\nspectrum = \"surface\"\nsoil = 2\nsite = \"a\"\n",
       "wavetool: plan.toml:16: site: a site takes the outcrop motion of its bedrock: the target "
       "must be the bedrock spectrum (spectrum = \"bedrock\")\n"},
      {"[[site]]\nname = \"a\"\n[[site.layer]]\nthickness = 5.0\nvs = 150.0\nunit_weight = 17.0\n"
       "curve = \"linear\"\ndamping = 0.02\n[site.bedrock]\nvs = 400.0\nunit_weight = 19.0\n"
       "[[target]]\nname = \"t\"\nsite = \"a\"\n[[wave]]\nname = \"w\"\nseed = 1\n"
       "[[wave]]\nname = \"w.a\"\nseed = 2\n",
       "wavetool: plan.toml:18: name: \"w.a\" is the name of wave \"w\" through site \"a\": their "
       "files would be the same; choose another\n"},
      {"[[target]]\nname = \"t\"\nsite = \"nowhere\"\n",
       "wavetool: plan.toml:3: site: no [[site]] named \"nowhere\"\n"},
      {"[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\nfit = false\n",
       "wavetool: plan.toml:4: fit: a wave that is not fitted is scaled: give pgv, pga or scale\n"},
      {"[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\nfit = false\npgv = 0\n",
       "wavetool: plan.toml:5: pgv: expected a velocity above 0 (cm/s)\n"},
      {"[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\nfit = false\nscale = 0\n",
       "wavetool: plan.toml:5: scale: expected a finite factor other than 0\n"},
      {"[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\nfit = \"no\"\n",
       "wavetool: plan.toml:4: fit: expected true or false\n"},
      {"[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\npga = 300\n",
       "wavetool: plan.toml:4: pga: a wave scaled instead of fitted takes fit = false\n"},
      {"[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\nfit = false\nscale = 2\npgv = 25\n",
       "wavetool: plan.toml:5: scale: give one of pgv, pga and scale\n"},
      {"[[wave]]\nname = \"w\"\nseed = 3\nfit = false\nscale = 2\n",
       "wavetool: plan.toml:4: fit: a seed is drawn to be fitted; a wave scaled instead is a "
       "record\n"},
      {"[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\nfit = false\npgv = 25\nkeep_step = "
       "true\n",
       "wavetool: plan.toml:6: keep_step: a key of a fit, not of a wave scaled instead of fitted "
       "(fit = false)\n"},
  };
  for (const row& c : rows) {
    const scratch_dir d;
    prepare(d, c.plan);
    write_file(d / "short.txt", "0.1 800\n1 800\n5 160\n");  // short of the criteria's periods
    const run_result r = run(d.path(), {"suite", "plan.toml", "--out", "out"});
    EXPECT_EQ(r.status, 1) << c.plan;
    EXPECT_EQ(r.out, "") << c.plan;
    const std::string err = c.err;
    if (err.ends_with('*')) {
      EXPECT_TRUE(r.err.starts_with(err.substr(0, err.size() - 1))) << c.plan << r.err;
      EXPECT_EQ(count_of(r.err, "\n"), 1u) << r.err;
    } else {
      EXPECT_EQ(r.err, err) << c.plan;
    }
    EXPECT_FALSE(fs::exists(d / "out")) << c.plan;
  }
}

// A plan at the edge of each limit is taken: listed, nothing refused.
TEST(wavetool_suite, plans_at_the_limits_are_taken) {
  for (const char* keys : {
           "[defaults]\nmax_iterations = 1000\n",
           "[defaults]\nmax_iterations = 1\n",
           "[[target]]\nname = \"z\"\nzone = 1.5\n",
       }) {
    const scratch_dir d;
    prepare(d, std::string(one_fit_plan) + keys);
    const run_result r = run(d.path(), {"suite", "plan.toml", "--out", "out", "--list"});
    EXPECT_EQ(r.status, 0) << keys << r.err;
    EXPECT_EQ(r.err, "") << keys;
  }
}

}  // namespace
