// The suite's report page: one self-contained HTML file (inline SVG figures drawn by gnuplot's
// SVG terminal, an A4 print style) that an engineer hands to a reviewer. It is made from the
// files the fits wrote, so that a gathered suite gives the same page byte for byte.
#pragma once

#include <signal.h>

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "suite/plan.h"
#include "suite/suite_files.h"

namespace wavetool {

// The target (gal) at periods (s).
std::vector<double> target_at(const spectrum_request& s, std::span<const double> periods);
// The acceleration response spectrum (gal) of a wave at the target's damping at periods (s).
std::vector<double> response_at(const wave& w, const spectrum_request& s,
                                std::span<const double> periods);

// A figure drawn by gnuplot from a script and its data files, as SVG text; or why not.
struct figure_result {
  std::string svg;
  bool gnuplot_missing = false;
  std::optional<std::string> error;
};
// Figures drawn side by side, one gnuplot at a time per core; results in the order given.
struct figure_job {
  std::string name, script;
  int height = 420;
};
// Each script names its data files relative to work (an existing folder it may write in) and sets
// no terminal or output: they are set here, 760 points wide and height high.
std::vector<figure_result> draw_figures(const std::filesystem::path& work,
                                        std::span<const figure_job> jobs);

// While one lives, an interrupt or a termination request stops the drawing programs at once
// instead of ending wavetool; end_if_interrupted then ends it by that signal, to be called once
// the work folder is gone.
class drawing_interrupts {
 public:
  drawing_interrupts();
  ~drawing_interrupts();
  drawing_interrupts(const drawing_interrupts&) = delete;
  drawing_interrupts& operator=(const drawing_interrupts&) = delete;
  void end_if_interrupted() const;

 private:
  struct sigaction saved_interrupt_ {
  }, saved_termination_{};
};

// The report page, or the reason it is missing. needs: the one line that says what the page
// needs when the drawing program is not there.
struct report_result {
  std::string html;
  std::optional<std::string> needs;
  std::optional<files::file_error> error;
};
report_result report_page(const plan& p, std::span<const fit_item> fits,
                          std::span<const fit_summary> results, const std::filesystem::path& dir,
                          std::string_view version);

// Text for HTML: &, <, > and quotes escaped.
std::string html_escaped(std::string_view s);

}  // namespace wavetool
