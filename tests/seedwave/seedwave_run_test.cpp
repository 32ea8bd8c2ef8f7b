// seedwave run end to end: answers piped in, console and seed file compared byte for byte or
// against the Fourier series of the seed wave shaped by the envelope.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reference.h"
#include "run_program.h"
#include "transcripts.h"

namespace {

using namespace testsupport;

constexpr std::int32_t mask = 123459876;

testsupport::run_result seedwave(const scratch_dir& dir, std::string_view answers) {
  return run_program(GM_SEEDWAVE_PATH, dir.path(), answers);
}

// The console up to the corner question, and the rest after the answer to it.
std::string opening() {
  return joined(seed::number + seed::grid + seed::corners);
}
const std::string corner_prompt = joined(seed::new_corners);
const std::string name_prompt = joined(seed::file_name);

struct corners {
  double tb = 4.0, tc = 35.0, td = 60.0, te = 81.92;
};

// Unenveloped reference waves, one synthesis per seed.
const std::vector<long double>& wave_of(std::int32_t seed) {
  static std::map<std::int32_t, std::vector<long double>> cache;
  auto it = cache.find(seed);
  if (it == cache.end()) it = cache.emplace(seed, reference::wave(seed)).first;
  return it->second;
}

// Checks a seed file line by line: the header, 8192 rows "F8.2,E12.4" whose times are
// 0.00..81.91 and whose accelerations are the reference wave times the envelope, to the four
// digits shown (plus 1e-5 gal for the transform's pi, times the envelope).
void expect_seed_file(const std::string& file, std::int32_t seed, corners c) {
  const std::vector<std::string> lines = records(file);
  ASSERT_EQ(lines.size(), 8193u);
  EXPECT_EQ(lines[0], " time(sec),seed-Acc(gal)");
  const std::vector<long double>& wave = wave_of(seed);
  int bad = 0;
  for (std::size_t i = 0; i < reference::n && bad < 5; ++i) {
    const std::string& row = lines[i + 1];
    std::array<char, 16> time{};
    std::snprintf(time.data(), time.size(), "%8.2f", static_cast<double>(i) / 100.0);
    const double env = reference::envelope(static_cast<double>(i) * 0.01, c.tb, c.tc, c.td, c.te);
    const double expect = static_cast<double>(wave[i]) * env;
    // "    t.tt," then "  0.dddd" or " -0.dddd", E and a signed two-digit exponent.
    const std::string field = row.size() == 21 ? row.substr(9) : "";
    bool good = row.size() == 21 && row.substr(0, 8) == time.data() && row[8] == ',' &&
                field[0] == ' ' && (field[1] == ' ' || field[1] == '-') &&
                field.substr(2, 2) == "0." && field[8] == 'E' &&
                (field[9] == '+' || field[9] == '-') &&
                (field[4] != '0' || field.substr(1) == " 0.0000E+00");
    if (good) {
      const double shown = std::strtod(field.c_str(), nullptr);
      const double unit = shown == 0.0 ? 0.0 : std::pow(10.0, std::atoi(field.c_str() + 9) - 4);
      const double tol = 0.5 * unit * (1 + 1e-9) + 1e-5 * env;
      good = std::abs(shown - expect) <= tol && (expect != 0.0 || shown == 0.0);
    }
    if (!good) {
      ADD_FAILURE() << "row " << i + 1 << ": \"" << row << "\", expected time " << time.data()
                    << " and acceleration " << expect;
      ++bad;
    }
  }
}

TEST(seedwave_run, default_answers_give_the_dialogue_and_the_seed_file) {
  scratch_dir dir;
  const auto r = seedwave(dir, "1\n0\nseed.csv\n");
  EXPECT_EQ(r.out, opening() + name_prompt);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  const std::string file = read_file(dir / "seed.csv");
  // The envelope is 0 at time 0; the tail is small but not yet 0 at 81.91 s.
  EXPECT_EQ(file.substr(0, 58),
            crlf({" time(sec),seed-Acc(gal)", "    0.00,  0.0000E+00"}) + "    0.01,");
  const std::size_t last = file.rfind("\r\n", file.size() - 3) + 2;
  EXPECT_EQ(file.substr(last, 9), "   81.91,");
  EXPECT_NE(file.substr(last + 9), "  0.0000E+00\r\n");
  expect_seed_file(file, 1, {});
}

TEST(seedwave_run, same_seed_same_file_other_seed_other_file) {
  scratch_dir dir;
  seedwave(dir, "1\n0\na.csv\n");
  seedwave(dir, "1\n0\nb.csv\n");
  seedwave(dir, "2\n0\nc.csv\n");
  const std::string a = read_file(dir / "a.csv");
  EXPECT_EQ(a.size(), 26 + 8192u * 23);
  EXPECT_EQ(a, read_file(dir / "b.csv"));
  EXPECT_NE(a, read_file(dir / "c.csv"));
  expect_seed_file(read_file(dir / "c.csv"), 2, {});
}

TEST(seedwave_run, the_mask_seed_writes_the_zero_phase_wave) {
  scratch_dir dir;
  const auto r = seedwave(dir, "123459876\n0\nseed.csv\n");
  EXPECT_EQ(r.out, opening() + name_prompt);
  EXPECT_EQ(r.status, 0);
  expect_seed_file(read_file(dir / "seed.csv"), mask, {});
}

TEST(seedwave_run, corner_answers) {
  struct row {
    const char* answers;  // after the seed 5
    bool asks;            // "Enter tb,tc,td,te(s):" shown
    corners c;
  };
  const row rows[] = {
      {"0\n", false, {}},
      {"2\n", false, {}},
      {"-1\n", false, {}},
      {",\n", false, {}},                                        // null: as 0
      {"1\n10/\n", true, {10.0, 35.0, 60.0, 81.92}},             // only tb changes
      {"1\n2\n30\n50,\n70\n", true, {2.0, 30.0, 50.0, 70.0}},    // over several lines
      {"1\n0 100 200 300\n", true, {0.0, 100.0, 200.0, 300.0}},  // no envelope at all
      {"1\n4 35 60 50\n", true, {4.0, 35.0, 60.0, 50.0}},        // te < td: ends abruptly at td
      {"1\n4,35,60,100\n", true, {4.0, 35.0, 60.0, 100.0}},      // tail unfinished at 81.91 s
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.answers);
    scratch_dir dir;
    const auto res = seedwave(dir, std::string("5\n") + r.answers + "seed.csv\n");
    EXPECT_EQ(res.out, opening() + (r.asks ? corner_prompt : "") + name_prompt);
    EXPECT_EQ(res.err, "");
    EXPECT_EQ(res.status, 0);
    expect_seed_file(read_file(dir / "seed.csv"), 5, r.c);
  }
}

TEST(seedwave_run, without_envelope_the_file_sums_to_zero_within_its_digits) {
  scratch_dir dir;
  seedwave(dir, "11\n1\n0 100 200 300\nseed.csv\n");
  const std::vector<std::string> lines = records(read_file(dir / "seed.csv"));
  ASSERT_EQ(lines.size(), 8193u);
  EXPECT_EQ(lines[1].substr(0, 9), "    0.00,");
  EXPECT_NE(lines[1].substr(9), "  0.0000E+00") << "the envelope is 1 at time 0";
  // Each value is shown to four digits: the sum may differ from 0 by half a unit of each.
  double sum = 0.0, slack = 0.0;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const char* field = lines[i].c_str() + 9;
    sum += std::strtod(field, nullptr);
    slack += 0.5 * std::pow(10.0, std::atoi(field + 9) - 4);
  }
  EXPECT_LT(std::abs(sum), slack);
  EXPECT_LT(slack, 100.0);
}

TEST(seedwave_run, null_seed_is_seed_zero) {
  scratch_dir dir;
  const std::pair<const char*, const char*> runs[] = {
      {"0", "zero"}, {",", "comma"}, {"/", "slash"}};
  for (const auto& [seed, name] : runs) {
    const auto r = seedwave(dir, std::string(seed) + "\n0\n" + name + "\n");
    EXPECT_EQ(r.out, opening() + name_prompt) << seed;
    EXPECT_EQ(r.status, 0) << seed;
  }
  const std::string zero = read_file(dir / "zero");
  expect_seed_file(zero, 0, {});
  EXPECT_EQ(read_file(dir / "comma"), zero);
  EXPECT_EQ(read_file(dir / "slash"), zero);
}

TEST(seedwave_run, file_name_answers) {
  struct row {
    std::string answer;
    std::string file;
  };
  const std::string long_name(60, 'n');
  const row rows[] = {
      {"first second.csv", "first"},         // an unquoted name ends at a blank
      {"wave,seed.csv", "wave"},             // ... at a comma
      {"data/seed.csv", "data"},             // ... at a slash
      {"'my seed.csv'", "my seed.csv"},      // a quoted name keeps them
      {"  \"two, words\"  ", "two, words"},  // either quotation mark
      {long_name, long_name.substr(0, 50)},  // cut to 50 characters
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.answer);
    scratch_dir dir;
    const auto res = seedwave(dir, std::string("1\n0\n") + r.answer + "\n");
    EXPECT_EQ(res.status, 0);
    EXPECT_EQ(res.err, "");
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
      names.push_back(e.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{r.file});
    EXPECT_EQ(read_file(dir / r.file).size(), 26 + 8192u * 23);
  }
}

TEST(seedwave_run, null_file_name_is_refused_by_the_open) {
  for (const char* answer : {",\n", "/\n", " , \n"}) {
    SCOPED_TRACE(answer);
    scratch_dir dir;
    const auto r = seedwave(dir, std::string("1\n0\n") + answer);
    EXPECT_EQ(r.out, opening() + name_prompt);
    EXPECT_EQ(r.err, report("open: null file name", "unit 9 named ", "list io", true));
    EXPECT_EQ(r.signal, SIGABRT);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  }
}

}  // namespace
