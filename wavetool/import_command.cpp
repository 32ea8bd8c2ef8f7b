#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "motion/resample.h"
#include "operations/import.h"
#include "operations/wave_file.h"
#include "waveio/records.h"
#include "waveio/text_fields.h"
#include "wavetool/command_line.h"
#include "wavetool/commands.h"

namespace wavetool {
namespace {

using waveio::accel_unit;
using waveio::record_format;

struct import_options {
  std::string record;
  std::string output;
  std::string format = "auto";
  std::optional<std::string> units;
  std::optional<std::string> dt, column, start, end;  // read by the text layer's scanner
  std::optional<std::string> component;
  std::optional<std::string> resample;
};

// A number of seconds or a column as typed, or why it is not one: a plain message instead of a
// range of 309 digits.
enum class at_least { zero, positive };
std::string number_problem(std::string_view text, at_least limit, bool whole) {
  const auto v = parse_real(text);
  const bool ok = v && (limit == at_least::zero ? *v >= 0.0 : *v > 0.0) &&
                  (!whole || (*v == std::trunc(*v) && *v <= waveio::max_column));
  if (ok) return {};
  const std::string what = whole ? "a column number from 1 to " + std::to_string(waveio::max_column)
                           : limit == at_least::zero ? "a time of 0 s or more"
                                                     : "a step of more than 0 s";
  return "expected " + what + ", found " + waveio::quoted(text);
}
CLI::Validator number_check(at_least limit, bool whole = false) {
  return CLI::Validator(
      [limit, whole](std::string& text) { return number_problem(text, limit, whole); }, "");
}
std::optional<double> number_of(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  return parse_real(*text);
}

int run_import(const import_options& o) {
  record_request request;
  request.file = o.record;
  request.format = waveio::format_named(o.format);
  request.options.dt = number_of(o.dt);
  if (o.column) request.options.column = static_cast<int>(*number_of(o.column));
  request.options.component = o.component;
  if (o.units) request.options.unit = waveio::unit_named(*o.units);
  request.start = number_of(o.start);
  request.end = number_of(o.end);
  const imported_record rec = import_record(request);
  if (rec.detected) {
    std::cerr << "wavetool: " << o.record << ": read as " << waveio::name_of(rec.format) << '\n';
  }
  if (rec.error) {
    return bad_input(*rec.error);
  }
  for (const file_error& note : rec.notes) std::cerr << describe(note) << '\n';
  std::vector<float> gal = rec.gal;
  double dt = rec.dt;
  if (o.resample) {
    const auto factor = motion::resample_factor(dt, *number_of(o.resample));
    if (!factor) {
      char what[160];
      std::snprintf(what, sizeof what,
                    "--resample %.6g: expected the step %.6g s times or divided by a power of "
                    "two, at most 64",
                    *number_of(o.resample), dt);
      return bad_input({o.record, 0, what});
    }
    gal = motion::resample(gal, *factor);
    dt = *number_of(o.resample);
  }
  if (gal.size() > fitwave_samples) {
    std::cerr << "wavetool: warning: " << o.output << ": " << gal.size()
              << " samples; fitwave reads at most " << fitwave_samples
              << " (cut a window with --start/--end), wavetool fit takes up to " << wavetool_samples
              << "\n";
  }
  if (const auto e = files::write_atomically(o.output, wave_text(gal, dt))) {
    return bad_input(*e);
  }
  return 0;
}

std::string help_footer() {
  std::string s = "\nFormats (--format; auto decides from the first lines and says so):\n";
  for (const waveio::format_entry& f : waveio::record_formats()) {
    s += "  " + std::string(f.option) + std::string(9 - f.option.size(), ' ') +
         std::string(f.summary) + "\n";
  }
  s += "\nThe wave is written in gal (cm/s2), one sample a line, as fitwave reads it.\n"
       "Options that do not apply to the record's format are refused.\n"
       "Exit status: 0 written; 1 bad input (standard error says where and why; no file\n"
       "written); 2 usage.\n";
  return s;
}

}  // namespace

void add_import_command(CLI::App& app, int& status) {
  auto o = std::make_shared<import_options>();
  CLI::App* sub = app.add_subcommand("import",
                                     "Convert a recorded accelerogram into fitwave's "
                                     "input layout (time, acceleration in gal)");
  sub->add_option("RECORD", o->record, "the record file")->required();
  sub->add_option("-o,--output", o->output, "the wave file to write")->required();
  sub->add_option("--format", o->format, "record format (default: decided from the text)")
      ->check(word_in(waveio::format_choices()));
  sub->add_option("--units", o->units,
                  "unit of the values (AT2: g; K-NET, JMA: the file's; others: gal)")
      ->check(word_in(waveio::unit_names()));
  sub->add_option("--dt", o->dt, "time step (s): columns without times, and values")
      ->type_name("SECONDS")
      ->check(number_check(at_least::positive));
  sub->add_option("--component", o->component, "JMA column (default NS)")
      ->check(word_in(waveio::component_names()));
  sub->add_option("--column", o->column, "acceleration column of a columns file, from 1")
      ->type_name("N")
      ->check(number_check(at_least::positive, true));
  sub->add_option("--start", o->start, "first time kept (s)")
      ->type_name("SECONDS")
      ->check(number_check(at_least::zero));
  sub->add_option("--end", o->end, "last time kept (s)")
      ->type_name("SECONDS")
      ->check(number_check(at_least::zero));
  sub->add_option("--resample", o->resample,
                  "write at this step (s) by band-limited interpolation; the record's step "
                  "times or divided by a power of two")
      ->type_name("SECONDS")
      ->check(number_check(at_least::positive));
  sub->footer(help_footer());
  sub->callback([o, &status] {
    const auto start = number_of(o->start), end = number_of(o->end);
    if (start && end && *start > *end) {
      throw CLI::ValidationError("--start", "must not be later than --end");
    }
    status = run_import(*o);
  });
}

}  // namespace wavetool
