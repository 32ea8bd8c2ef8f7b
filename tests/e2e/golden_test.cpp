// Whole runs of both programs held byte for byte to runs computed by an independent model: the
// seed file, fitwave's console with every criterion, its spectra table and its fitted wave.
#include "matrix.h"

namespace e2e {
namespace {

const std::filesystem::path golden = GM_GOLDEN_DIR;

// The first line where two texts part, or an empty string when they are the same bytes; a
// whole-file diff of half a megabyte would bury the difference.
std::string first_difference(const std::string& got, const std::string& expected) {
  if (got == expected) return "";
  std::size_t at = 0, line = 1;
  while (at < got.size() && at < expected.size() && got[at] == expected[at]) {
    if (got[at] == '\n') ++line;
    ++at;
  }
  const auto around = [at](const std::string& s) {
    const std::size_t from = s.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t start = from == std::string::npos || at == 0 ? 0 : from + 1;
    return s.substr(start, s.find('\n', start) - start);
  };
  return "line " + std::to_string(line) + ": got \"" + around(got) + "\", expected \"" +
         around(expected) + "\"";
}

TEST(golden, whole_runs_byte_for_byte) {
  const struct {
    const char* what;
    const std::filesystem::path* program;
    const char* input;  // a golden file copied into the run's directory under its own name
    std::string answers;
    std::string console;                                     // standard output
    std::vector<std::pair<const char*, const char*>> files;  // written name, golden name
  } rows[] = {
      {"seedwave, seed 1",
       &seedwave,
       nullptr,
       "1\n0\nseed1.csv\n",
       joined(seed::dialogue()),
       {{"seed1.csv", "seed1.csv"}}},
      {"fitwave, seed 1, five iterations",
       &fitwave,
       "seed1.csv",
       "seed1.csv\n5\n0\n0\nspectra.csv\nfitted.csv\n",
       read_file(golden / "seed1-fit5.console"),
       {{"spectra.csv", "seed1-fit5-spectra.csv"}, {"fitted.csv", "seed1-fit5-fitted.csv"}}},
      {"fitwave, a recording, three iterations, own corners",
       &fitwave,
       "corralitos.csv",
       "corralitos.csv\n3\n1\n2 16 30 40\n0\ncs.csv\ncf.csv\n",
       read_file(golden / "corralitos-fit3.console"),
       {{"cs.csv", "corralitos-fit3-spectra.csv"}, {"cf.csv", "corralitos-fit3-fitted.csv"}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    scratch_dir dir;
    if (row.input != nullptr) {
      std::filesystem::copy_file(golden / row.input, dir / row.input);
    }
    const run_result r = run_program(*row.program, dir.path(), row.answers);
    ASSERT_FALSE(row.console.empty());
    EXPECT_EQ(first_difference(r.out, row.console), "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
    for (const auto& [written, expected] : row.files) {
      const std::string want = read_file(golden / expected);
      ASSERT_FALSE(want.empty()) << expected;
      EXPECT_EQ(first_difference(read_file(dir / written), want), "") << written;
    }
  }
}

}  // namespace
}  // namespace e2e
