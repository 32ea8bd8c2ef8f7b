// What the report's own files share: numbers as the page writes them, the data files given to
// the drawing program and the queue of figures drawn together at the end.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "files/file_error.h"
#include "report/report.h"
#include "suite/plan.h"
#include "suite/suite_files.h"

namespace wavetool::report_parts {

// Numbers for the data files (nine digits) and for the page's tables (fixed decimals).
std::string g9(double x);
std::string fixed(double x, int decimals);

// A data file in the drawing program's work folder, or why it could not be written.
// The axes of a figure of spectra over the target's window at its damping, the key below left.
std::string spectra_axes(const spectrum_request& s);
std::optional<std::string> write_data(const std::filesystem::path& file, const std::string& text);

// Figures are drawn together at the end; the page holds a marker for each until then, and the
// markers in page order are 0, 1, 2, ... A figure's class lets the print style size it.
struct figure_queue {
  std::vector<figure_job> jobs;
  std::vector<std::string> captions, classes;
  std::string at(std::string name, std::string script, int height, std::string caption,
                 std::string figure_class = {}) {
    jobs.push_back({std::move(name), std::move(script), height});
    captions.push_back(std::move(caption));
    classes.push_back(std::move(figure_class));
    return "\x01" + std::to_string(jobs.size() - 1) + "\x01";
  }
};

// The waves of one target whose sites the page shows, with what the target's own section has
// already computed of them.
struct target_waves {
  std::vector<fit_item> fits;
  std::vector<fit_summary> rows;
  std::vector<std::string> names;
  std::vector<std::vector<double>> bedrock_sa;  // gal, at periods
  std::vector<double> periods;                  // s
};

// The section of target t's site after the target's own: surface spectra, their ratio to the
// bedrock's, transfer functions, profiles and the tables per sublayer; its data files written
// into work.
std::optional<files::file_error> site_section(const plan& p, std::size_t t,
                                              const target_waves& waves,
                                              const std::filesystem::path& dir,
                                              const std::filesystem::path& work,
                                              figure_queue& figures, std::string& body);

}  // namespace wavetool::report_parts
