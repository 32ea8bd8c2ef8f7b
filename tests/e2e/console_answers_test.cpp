// Bad answers at every prompt of both programs: the end of the console input, a word where a
// number is asked, a real where an integer is asked, an integer beyond 32 bits. Each ends the
// run with the fatal-error report and the abort, after the prompts shown so far, and no file
// is created, since both programs open their files only after the last answer.
#include "matrix.h"

namespace e2e {
namespace {

struct answer_row {
  const char* what;
  const std::filesystem::path* program;
  std::string input;
  lines shown;        // standard output up to the prompt that fails
  std::string first;  // first line of the report
  std::string pattern;
};

const std::string eof = "list in: end of file";
const std::string not_a_number = "invalid number: incomprehensible list input";
const std::string real_for_integer = "invalid integer: read unexpected character";
const std::string overflow = "invalid integer: integer overflow";

void run_rows(const std::vector<answer_row>& rows) {
  for (const answer_row& row : rows) {
    SCOPED_TRACE(row.what);
    scratch_dir dir;
    const run_result r = run_program(*row.program, dir.path(), row.input);
    EXPECT_EQ(r.out, joined(row.shown));
    EXPECT_EQ(r.err, report(row.first, "unit 5 (unnamed)", row.pattern, true));
    expect_abort(r);
    EXPECT_TRUE(names_in(dir.path()).empty());
  }
}

TEST(fitwave_answers, end_of_input_at_every_prompt) {
  using namespace fit;
  const lines before_ampfac = dialogue();
  run_rows({
      {"input file name", &fitwave, "", name, "fmt: end of file", "(A20)"},
      {"name without line end", &fitwave, "w.csv", name, "fmt: end of file", "(A20)"},
      {"iterations", &fitwave, "w.csv\n", name + nit, eof, "list io"},
      {"corner question", &fitwave, "w.csv\n2\n", name + nit + corners, eof, "list io"},
      {"corner times", &fitwave, "w.csv\n2\n1\n", name + nit + corners + new_corners, eof,
       "list io"},
      {"corner times, two of four given", &fitwave, "w.csv\n2\n1\n5 30\n",
       name + nit + corners + new_corners, eof, "list io"},
      {"exponent question", &fitwave, "w.csv\n2\n0\n", before_ampfac, eof, "list io"},
      {"exponent", &fitwave, "w.csv\n2\n0\n1\n", before_ampfac + new_ampfac, eof, "list io"},
  });
}

TEST(fitwave_answers, words_reals_and_huge_integers_where_numbers_are_asked) {
  using namespace fit;
  const lines before_ampfac = dialogue();
  run_rows({
      {"word for iterations", &fitwave, "w.csv\nabc\n", name + nit, not_a_number, "list io"},
      {"word for corner question", &fitwave, "w.csv\n2\nyes\n", name + nit + corners, not_a_number,
       "list io"},
      {"word among corner times", &fitwave, "w.csv\n2\n1\n4 x 60 80\n",
       name + nit + corners + new_corners, not_a_number, "list io"},
      {"word for exponent question", &fitwave, "w.csv\n2\n0\nno\n", before_ampfac, not_a_number,
       "list io"},
      {"word for exponent", &fitwave, "w.csv\n2\n0\n1\nhalf\n", before_ampfac + new_ampfac,
       not_a_number, "list io"},
      {"lone sign for exponent", &fitwave, "w.csv\n2\n0\n1\n-\n", before_ampfac + new_ampfac,
       not_a_number, "list io"},
      {"exponent letter without digits", &fitwave, "w.csv\n2\n0\n1\n1e\n",
       before_ampfac + new_ampfac, "exponent field: incomprehensible list input", "list io"},
      {"zero repeat count", &fitwave, "w.csv\n0*3\n", name + nit,
       "bad repetition count: incomprehensible list input", "list io"},
      {"1.0 for iterations", &fitwave, "w.csv\n1.0\n", name + nit, real_for_integer, "list io"},
      {"1e1 for iterations", &fitwave, "w.csv\n1e1\n", name + nit, real_for_integer, "list io"},
      {"1.0 for corner question", &fitwave, "w.csv\n2\n1.0\n", name + nit + corners,
       real_for_integer, "list io"},
      {"1.0 for exponent question", &fitwave, "w.csv\n2\n0\n1.0\n", before_ampfac, real_for_integer,
       "list io"},
      {"2**31 iterations", &fitwave, "w.csv\n2147483648\n", name + nit, overflow, "list io"},
      {"-2**31-1 for corner question", &fitwave, "w.csv\n2\n-2147483649\n", name + nit + corners,
       overflow, "list io"},
      {"eleven digits for exponent question", &fitwave, "w.csv\n2\n0\n99999999999\n", before_ampfac,
       overflow, "list io"},
      {"sign exponent beyond 32 bits", &fitwave, "w.csv\n1+10\n", name + nit, overflow, "list io"},
  });
}

TEST(seedwave_answers, end_of_input_at_every_prompt) {
  using namespace seed;
  run_rows({
      {"seed", &seedwave, "", number, eof, "list io"},
      {"corner question", &seedwave, "7\n", number + grid + corners, eof, "list io"},
      {"corner times", &seedwave, "7\n1\n", number + grid + corners + new_corners, eof, "list io"},
      {"corner times, three of four given", &seedwave, "7\n1\n1 2 3\n",
       number + grid + corners + new_corners, eof, "list io"},
      {"output name", &seedwave, "7\n0\n", dialogue(), eof, "list io"},
  });
}

TEST(seedwave_answers, words_reals_and_huge_integers_where_numbers_are_asked) {
  using namespace seed;
  run_rows({
      {"word for seed", &seedwave, "seven\n", number, not_a_number, "list io"},
      {"word for corner question", &seedwave, "7\nn\n", number + grid + corners, not_a_number,
       "list io"},
      {"word among corner times", &seedwave, "7\n1\n4,35,sixty,80\n",
       number + grid + corners + new_corners, not_a_number, "list io"},
      {"1.0 for seed", &seedwave, "1.0\n", number, real_for_integer, "list io"},
      {"1.0 for corner question", &seedwave, "7\n1.0\n", number + grid + corners, real_for_integer,
       "list io"},
      {"2**31 for seed", &seedwave, "2147483648\n", number, overflow, "list io"},
      {"forty digits for corner question", &seedwave,
       "7\n1234567890123456789012345678901234567890\n", number + grid + corners, overflow,
       "list io"},
  });
}

// The end of the input while the names of the result files are asked: after the fitting, so
// the report follows the whole run; the table is complete when the second name is missing.
TEST(fitwave_answers, end_of_input_at_the_result_file_names) {
  scratch_dir dir;
  write_file(dir / "w.csv", four_samples);

  run_result r = run_program(fitwave, dir.path(), "w.csv\n1\n0\n0\n");
  EXPECT_TRUE(r.out.starts_with(joined(fit::dialogue("  1.") + lines{four_samples_nt})));
  EXPECT_TRUE(r.out.ends_with(joined(fit::table_name)));
  EXPECT_EQ(r.err, report(eof, "unit 5 (unnamed)", "list io", true));
  expect_abort(r);
  EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"w.csv"});

  r = run_program(fitwave, dir.path(), "w.csv\n1\n0\n0\nsp.csv\n");
  EXPECT_TRUE(r.out.ends_with(joined(fit::table_name + fit::wave_name)));
  EXPECT_EQ(r.err, report("fmt: end of file", "unit 5 (unnamed)", "(A20)", true));
  expect_abort(r);
  EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"sp.csv", "w.csv"}));
  const lines table = records(read_file(dir / "sp.csv"));
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[0], "period(sec),kokuji1461,Iteration No.  1,Iteration No.");
  EXPECT_TRUE(table[1].starts_with("  0.0200,  0.3800E+03,") && is_row(table[1], 8, 4, 2, true));
  EXPECT_TRUE(table[2].starts_with("  0.0400,  0.4400E+03,") && is_row(table[2], 8, 4, 2, true));
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// The columns of fitwave's wave file: time, acceleration, envelope, envelope^ampfac.
std::vector<lines> wave_fields(const std::string& text) {
  std::vector<lines> rows;
  const lines recs = records(text);
  for (std::size_t i = 1; i < recs.size(); ++i) {
    const std::string& r = recs[i];
    EXPECT_EQ(r.size(), 48u) << r;
    if (r.size() != 48) continue;
    rows.push_back({r.substr(0, 8), r.substr(9, 12), r.substr(22, 12), r.substr(35, 12)});
  }
  return rows;
}

// A real beyond the single-precision range is rounded to infinity, as IEEE rounding of a
// decimal value gives; the run goes on with it. The envelope rises as (t/4)^2 up to tb = 4 s
// and is 1 after it, so with the exponent at +infinity the factor is 0 before 4 s and 1 after
// it, and at -infinity it is infinite before 4 s. With tb at infinity the envelope is 0.
TEST(fitwave_answers, reals_beyond_single_precision_become_infinities) {
  const std::string one = "  0.1000E+01", zero = "  0.0000E+00";
  const struct {
    const char* what;
    std::string answers;
    std::string eamp_rise, factor_rise, eamp_flat, factor_flat;  // "" : any finite value
  } rows[] = {
      {"ampfac 1e40", "0\n1\n1e40\n", "", zero, one, one},
      {"ampfac -1e40", "0\n1\n-1e40\n", "", "    Infinity", one, one},
      {"tb 1e40", "1\n1e40 35 60 80\n0\n", zero, zero, zero, zero},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    scratch_dir dir;
    write_file(dir / "w.csv", long_wave(1000));  // 0 to 4.995 s
    const run_result r =
        run_program(fitwave, dir.path(), "w.csv\n1\n" + row.answers + "sp.csv\nfit.csv\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
    const std::vector<lines> fields = wave_fields(read_file(dir / "fit.csv"));
    ASSERT_EQ(fields.size(), 1000u);
    for (const lines& f : fields) {
      const double t = std::stod(f[0]);
      if (t > 3.99 && t < 4.01) continue;  // the corner itself, where rounding decides
      const bool rise = t < 4;
      const std::string& eamp = rise ? row.eamp_rise : row.eamp_flat;
      if (eamp.empty()) {
        EXPECT_TRUE(is_e124(f[2])) << f[0];
        EXPECT_NE(f[2], one) << f[0];
      } else {
        EXPECT_EQ(f[2], eamp) << f[0];
      }
      EXPECT_EQ(f[3], rise ? row.factor_rise : row.factor_flat) << f[0];
    }
  }
}

// seedwave reads doubles: 1e40 is an ordinary corner time, 1e400 is beyond even double
// precision and becomes infinity. Either way the rise never ends within the wave, so every
// sample is scaled by (t/tb)^2: below 1e-70 gal, or zero.
TEST(seedwave_answers, huge_and_overflowing_corner_times) {
  for (const char* tb : {"1e40", "1e400"}) {
    SCOPED_TRACE(tb);
    scratch_dir dir;
    const run_result r =
        run_program(seedwave, dir.path(), "7\n1\n" + std::string(tb) + "/\nseed.csv\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
    const lines recs = records(read_file(dir / "seed.csv"));
    ASSERT_EQ(recs.size(), 8193u);
    for (std::size_t i = 1; i < recs.size(); ++i) {
      const std::string acc = recs[i].substr(9);
      if (std::string(tb) == "1e400" || i == 1) {
        EXPECT_EQ(acc, "  0.0000E+00");
        continue;
      }
      // " -0.3089E-82", or " -0.3089-119" with three exponent digits.
      ASSERT_EQ(acc.size(), 12u) << recs[i];
      const std::string exponent = acc[8] == 'E' ? acc.substr(9) : acc.substr(8);
      EXPECT_LE(std::stoi(exponent), -70) << recs[i];
    }
  }
}

}  // namespace
}  // namespace e2e
