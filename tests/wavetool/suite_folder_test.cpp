// The suite's folder: after any run it holds what that run wrote and nothing an earlier run left
// (a file the suite never wrote is left alone and named); what cannot be written is found
// before the first fit; a link inside it is never written through; an interrupt while the report
// is drawn leaves no work folder and no drawing program behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <fstream>

#include "suite_scratch.h"

namespace {

using namespace suite_test;

const std::string exports_plan = std::string(one_fit_plan) + "export = [\"at2\", \"opensees\"]\n";

// A rerun into a folder an earlier run wrote: the same files as a run into an empty folder.
TEST(suite_folder, a_rerun_leaves_only_what_it_wrote) {
  struct row {
    const char* what;
    std::string first;   // the plan of the earlier run
    std::string second;  // the plan of this one
    std::vector<std::string> args;
    const char* err_end;  // the end of standard error
  };
  const std::string renamed = [] {
    std::string plan(one_fit_plan);
    return plan.replace(plan.find("name = \"seed1\""), 14, "name = \"first\"");
  }();
  const row rows[] = {
      {"exports no longer asked", exports_plan, std::string(one_fit_plan), {}, " s left\n"},
      {"a wave no longer in the plan", renamed, std::string(one_fit_plan), {}, " s left\n"},
      {"an export no longer asked, one fit alone",
       exports_plan,
       std::string(one_fit_plan),
       {"--only", "t/seed1"},
       " s left\n"},
  };
  for (const row& c : rows) {
    SCOPED_TRACE(c.what);
    const scratch_dir d;
    prepare(d, c.first);
    ASSERT_NE(run(d.path(), {"suite", "plan.toml", "--out", "out"}).status, 1);
    write_file(d / "plan.toml", c.second);
    std::vector<std::string> args = {"suite", "plan.toml", "--out", "out"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const run_result again = run(d.path(), args);
    EXPECT_NE(again.status, 1) << again.err;
    EXPECT_TRUE(again.err.ends_with(c.err_end)) << again.err;
    args[3] = "fresh";
    ASSERT_NE(run(d.path(), args).status, 1);
    EXPECT_EQ(names_in(d / "out"), names_in(d / "fresh"));
    EXPECT_TRUE(tree(d / "out") == tree(d / "fresh")) << "other bytes";
  }
}

// Without gnuplot the last run's page goes: it would describe other fits than the summaries.
TEST(suite_folder, without_gnuplot_the_last_report_does_not_stay) {
  const scratch_dir d;
  prepare(d);
  ASSERT_EQ(run(d.path(), {"suite", "plan.toml", "--out", "out"}).status, 0);
  ASSERT_TRUE(fs::exists(d / "out/report.html"));
  const run_result r = wavetool_test::run_command(
      "/usr/bin/env",
      {"PATH=/nonexistent", wavetool.string(), "suite", "plan.toml", "--out", "out"}, d.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "1 of 1 fits passed: out/summary.csv\n");
  EXPECT_FALSE(fs::exists(d / "out/report.html"));
}

// Files the suite never wrote are left as they are, and named in one line.
TEST(suite_folder, files_the_suite_never_wrote_are_left_and_named) {
  const scratch_dir d;
  prepare(d);
  fs::create_directories(d / "out/t");
  write_file(d / "out/t/notes.txt", "mine\n");
  write_file(d / "out/t/other.csv", "mine too\n");  // no result of the suite beside it
  write_file(d / "out/read me.txt", "mine\n");
  const run_result r = run(d.path(), {"suite", "plan.toml", "--out", "out"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(
      r.err.ends_with(" s left\nwavetool: not written by the suite, left as they are: "
                      "\"out/read me.txt\", \"out/t/notes.txt\", \"out/t/other.csv\"\n"))
      << r.err;
  EXPECT_EQ(read_file(d / "out/t/notes.txt"), "mine\n");
  EXPECT_EQ(read_file(d / "out/t/other.csv"), "mine too\n");
  EXPECT_EQ(read_file(d / "out/read me.txt"), "mine\n");
}

// Found before the first fit, with nothing written; a fit whose files cannot be written is never
// told as passed.
TEST(suite_folder, what_cannot_be_written_is_found_before_any_fit) {
  struct row {
    const char* what;
    std::string out;
    std::function<void(const fs::path&)> setup;
    const char* err;
    int status;
  };
  const row rows[] = {
      {"--out is a file", "taken", [](const fs::path& d) { write_file(d / "taken", "x\n"); },
       "wavetool: taken: is a file, not a folder\n", 1},
      {"--out under a file", "taken/sub", [](const fs::path& d) { write_file(d / "taken", "x\n"); },
       "wavetool: taken/sub: cannot be made: taken is a file\n", 1},
      {"a target's folder is a file", "out",
       [](const fs::path& d) {
         fs::create_directories(d / "out");
         write_file(d / "out/t", "x\n");
       },
       "wavetool: out/t: is a file, not the target's folder\n", 1},
      {"a target's folder is a link", "out",
       [](const fs::path& d) {
         fs::create_directories(d / "out");
         fs::create_directories(d / "elsewhere");
         fs::create_directory_symlink("../elsewhere", d / "out/t");
       },
       "wavetool: out/t: is a link: the suite writes only into folders of its own (remove it)\n",
       1},
  };
  for (const row& c : rows) {
    SCOPED_TRACE(c.what);
    const scratch_dir d;
    prepare(d);
    c.setup(d.path());
    const auto before = tree(d.path());
    const run_result r = run(d.path(), {"suite", "plan.toml", "--out", c.out});
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(tree(d.path()) == before) << "something was written";
  }
  // A folder without write permission (the superuser writes in any).
  if (geteuid() != 0) {
    const scratch_dir d;
    prepare(d);
    fs::create_directories(d / "locked");
    fs::permissions(d / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    const run_result r = run(d.path(), {"suite", "plan.toml", "--out", "locked"});
    fs::permissions(d / "locked", fs::perms::owner_all);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "wavetool: locked: is a folder that cannot be written\n");
    EXPECT_TRUE(fs::is_empty(d / "locked"));
  }
  // The result's name taken by a folder: the fit runs, its files cannot all be written.
  const scratch_dir d;
  prepare(d);
  fs::create_directories(d / "out/t/seed1.json");
  const run_result r = run(d.path(), {"suite", "plan.toml", "--out", "out"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(matches(r.err,
                      "[1/1] t/seed1 not written after * s left\nwavetool: out/t/seed1.json: "
                      "cannot be written: Is a directory\n"))
      << r.err;
}

// A link placed inside the suite's folder is replaced by the suite's own file; what it named is
// left as it was.
TEST(suite_folder, a_link_inside_the_folder_is_never_written_through) {
  const scratch_dir d;
  prepare(d);
  write_file(d / "victim.txt", "keep me\n");
  fs::create_directories(d / "out/t");
  for (const char* name : {"out/t/seed1.json", "out/t/seed1.csv", "out/summary.csv"}) {
    fs::create_symlink(d / "victim.txt", d / name);
  }
  const run_result r = run(d.path(), {"suite", "plan.toml", "--out", "out"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(d / "victim.txt"), "keep me\n");
  for (const char* name : {"out/t/seed1.json", "out/t/seed1.csv", "out/summary.csv"}) {
    EXPECT_FALSE(fs::is_symlink(d / name)) << name;
  }
}

// True while a process whose working folder lies in folder is running.
bool runs_in(const fs::path& folder) {
  const std::string prefix = folder.string();
  std::error_code ec;
  for (const auto& e : fs::directory_iterator("/proc", ec)) {
    const fs::path link = fs::read_symlink(e.path() / "cwd", ec);
    if (!ec && link.string().starts_with(prefix)) return true;
  }
  return false;
}

// An interrupt or a termination request while the figures are drawn: the drawing programs stop,
// the work folder goes, and the folder holds the fits and summaries without a stale page.
TEST(suite_folder, an_interrupt_while_drawing_leaves_no_work_folder) {
  std::string plan = "[[target]]\nname = \"t\"\n";
  for (int k = 1; k <= 2; ++k) {
    plan += "[[wave]]\nname = \"s" + std::to_string(k) + "\"\nseed = " + std::to_string(k) +
            "\nmax_iterations = 1\n";
  }
  for (const int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    const scratch_dir d;
    prepare(d, plan);
    ASSERT_EQ(run(d.path(), {"suite", "plan.toml", "--out", "out"}).status, 3);
    // A drawing program that never finishes by itself, so the signal surely comes while the
    // figures are drawn, however fast the machine; it is sent once the program has started.
    fs::create_directory(d / "slow");
    write_file(d / "slow/gnuplot", "#!/bin/sh\ntouch started\nexec sleep 30\n");
    fs::permissions(d / "slow/gnuplot", fs::perms::owner_all);
    const std::string script =
        "PATH=\"$PWD/slow:$PATH\" \"$0\" suite plan.toml --out out 2>/dev/null & pid=$!\n"
        "n=0; while [ ! -e out/.report-work/started ] && [ $n -lt 6000 ]; do sleep 0.01; "
        "n=$((n+1)); done\n"
        "kill -" +
        std::to_string(sig) + " $pid\nwait $pid\necho $?\n";
    const run_result r =
        wavetool_test::run_command("/bin/sh", {"-c", script, wavetool.string()}, d.path());
    EXPECT_EQ(r.out, std::to_string(128 + sig) + "\n") << r.err;
    EXPECT_FALSE(fs::exists(d / "out/.report-work"));
    EXPECT_FALSE(fs::exists(d / "out/report.html"));
    EXPECT_TRUE(fs::exists(d / "out/summary.csv"));
    sleep(1);
    EXPECT_FALSE(runs_in(d / "out")) << "a drawing program still runs";
  }
}

// Refused before any fit with the plan's line, nothing written.
TEST(suite_folder, plans_refused_before_any_fit) {
  struct row {
    std::string plan;
    const char* err;
  };
  const std::string seed = "[[target]]\nname = \"t\"\n[[wave]]\nname = \"w\"\nseed = 1\n";
  const std::string record =
      "[[target]]\nname = \"t\"\n[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\n";
  const row rows[] = {
      {"[[target]]\nname = \"summary.csv\"\n[[wave]]\nname = \"w\"\nseed = 1\n",
       "wavetool: plan.toml:2: name: \"summary.csv\" is a file the suite writes beside the "
       "targets' folders; choose another\n"},
      {"[[target]]\nname = \"report.html\"\n[[wave]]\nname = \"w\"\nseed = 1\n",
       "wavetool: plan.toml:2: name: \"report.html\" is a file the suite writes beside the "
       "targets' folders; choose another\n"},
      {seed + "start = 5\n",
       "wavetool: plan.toml:6: start: a key of a record, not of a seed wave\n"},
      {seed + "end = 50\n", "wavetool: plan.toml:6: end: a key of a record, not of a seed wave\n"},
      {seed + "units = \"g\"\n",
       "wavetool: plan.toml:6: units: a key of a record, not of a seed wave\n"},
      {seed + "format = \"at2\"\n",
       "wavetool: plan.toml:6: format: a key of a record, not of a seed wave\n"},
      {seed + "column = 2\n",
       "wavetool: plan.toml:6: column: a key of a record, not of a seed wave\n"},
      {seed + "dt = 0\n", "wavetool: plan.toml:6: dt: expected a positive step (s)\n"},
      {seed + "dt = 0.1000001\n", "wavetool: plan.toml:3: dt: a seed's step is at most 0.1 s\n"},
      {seed + "component = \"NS\"\n",
       "wavetool: plan.toml:6: component: a key of a record, not of a seed wave\n"},
      {"[[target]]\nname = \"t\"\nspectrum = \"table\"\ntable = \"none.txt\"\n",
       "wavetool: plan.toml:4: table \"none.txt\": cannot be read: No such file or directory\n"},
      {"[[target]]\nname = \"t\"\n[[wave]]\nname = \"w\"\nrecord = \"long.txt\"\n"
       "format = \"values\"\n",
       "wavetool: plan.toml:5: record \"long.txt\": expected dt: values carry no times\n"},
      {record + "format = \"at2\"\ndt = 0.01\n",
       "wavetool: plan.toml:5: record \"seed1.csv\": dt does not apply to PEER NGA (AT2) records; "
       "leave it out\n"},
      {record + "format = \"columns\"\nstart = 500\n",
       "wavetool: plan.toml:5: record \"seed1.csv\": expected at least 2 samples between start "
       "and end, found 0\n"},
      {record + "samples = 8192\n",
       "wavetool: plan.toml:6: samples: a key of a seed, not of a record wave\n"},
      // Longer than the longest transform, found before seed 1 is fitted.
      {"[[target]]\nname = \"t\"\n[[wave]]\nname = \"first\"\nrecord = \"seed1.csv\"\nformat = "
       "\"columns\"\n"
       "[[wave]]\nname = \"long\"\nrecord = \"long.txt\"\nformat = \"values\"\ndt = 0.01\n",
       "wavetool: t/long: expected at most 131072 samples, found 140000 (cut a window with the "
       "record's start and end)\n"},
  };
  std::string long_record;
  for (int i = 0; i < 140000; ++i) long_record += i % 7 == 0 ? "1.5\n" : "-0.25\n";
  for (const row& c : rows) {
    SCOPED_TRACE(c.plan);
    const scratch_dir d;
    prepare(d, c.plan);
    write_file(d / "long.txt", long_record);
    const run_result r = run(d.path(), {"suite", "plan.toml", "--out", "out"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fs::exists(d / "out"));
  }
  {
    // The coarsest seed is a seed: a step of exactly 0.1 s is listed, not refused.
    const scratch_dir d;
    prepare(d, seed + "dt = 0.1\nsamples = 4096\n");
    const run_result r = run(d.path(), {"suite", "plan.toml", "--out", "out", "--list"});
    EXPECT_EQ(r.status, 0) << r.err;
  }
  // Standard input is no plan: the listed commands would read it again.
  const scratch_dir d;
  const run_result r = run(d.path(), {"suite", "-", "--out", "out", "--list"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "wavetool: suite: the plan must be a file, not standard input (-): its listed "
            "commands and the report read it again\n");
}

}  // namespace
