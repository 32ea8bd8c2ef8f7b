#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <string>

#include "motion/resample.h"
#include "waveio/text_fields.h"
#include "wavetool/commands.h"
#include "wavetool/import.h"
#include "wavetool/record.h"
#include "wavetool/wave_file.h"

namespace wavetool {
namespace {

struct import_options {
  std::string record;
  std::string output;
  std::string format = "auto";
  std::optional<std::string> units;
  record_options parse;
  std::optional<double> start, end;
  std::optional<double> resample;
};

int run_import(const import_options& o) {
  file_error read_error;
  const auto text = read_text(o.record, read_error);
  if (!text) {
    std::cerr << describe(read_error) << '\n';
    return exit_bad_input;
  }
  static const std::map<std::string, record_format> formats{{"at2", record_format::at2},
                                                            {"knet", record_format::knet},
                                                            {"jma", record_format::jma},
                                                            {"columns", record_format::columns}};
  record_format format = record_format::columns;
  if (o.format == "auto") {
    format = detect_format(*text);
    std::cerr << "wavetool: " << o.record << ": read as " << name_of(format) << '\n';
  } else {
    format = formats.at(o.format);
  }
  const parsed_record p = parse_record(*text, format, o.parse);
  if (!p.ok()) {
    std::cerr << describe({o.record, p.error->line, p.error->message}) << '\n';
    return exit_bad_input;
  }
  for (const std::string& note : p.rec.notes) {
    std::cerr << "wavetool: " << o.record << ": " << note << '\n';
  }
  static const std::map<std::string, accel_unit> units{
      {"g", accel_unit::g}, {"gal", accel_unit::gal}, {"m/s2", accel_unit::m_per_s2}};
  const accel_unit unit = o.units ? units.at(*o.units) : p.rec.unit;
  const sample_range range = window_of(p.rec.values.size(), p.rec.dt, o.start, o.end);
  if (range.count < 2) {
    std::cerr << describe({o.record, 0,
                           "expected at least 2 samples between --start and --end, "
                           "found " +
                               std::to_string(range.count)})
              << '\n';
    return exit_bad_input;
  }
  std::vector<float> gal =
      to_gal(std::span(p.rec.values).subspan(range.first, range.count), gal_per(unit));
  double dt = p.rec.dt;
  if (o.resample) {
    const auto factor = motion::resample_factor(dt, *o.resample);
    if (!factor) {
      char what[160];
      std::snprintf(what, sizeof what,
                    "--resample %.6g: expected the step %.6g s times or divided by a power of "
                    "two, at most 64",
                    *o.resample, dt);
      std::cerr << describe({o.record, 0, what}) << '\n';
      return exit_bad_input;
    }
    gal = motion::resample(gal, *factor);
    dt = *o.resample;
  }
  if (gal.size() > fitwave_samples) {
    std::cerr << "wavetool: warning: " << o.output << ": " << gal.size()
              << " samples; fitwave fits at most " << fitwave_samples
              << " (cut a window with --start/--end)\n";
  }
  if (const auto e = write_atomically(o.output, wave_text(gal, dt))) {
    std::cerr << describe(*e) << '\n';
    return exit_bad_input;
  }
  return 0;
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
      ->check(CLI::IsMember({"auto", "at2", "knet", "jma", "columns"}));
  sub->add_option("--units", o->units, "unit of the values (AT2: g; K-NET, JMA: the file's)")
      ->check(CLI::IsMember({"g", "gal", "m/s2"}));
  sub->add_option("--dt", o->parse.dt, "time step (s) of a single-column file")
      ->check(CLI::PositiveNumber);
  sub->add_option("--component", o->parse.component, "JMA column (default NS)")
      ->check(CLI::IsMember({"NS", "EW", "UD"}));
  sub->add_option("--column", o->parse.column, "acceleration column of a columns file, from 1")
      ->check(CLI::PositiveNumber);
  sub->add_option("--start", o->start, "first time kept (s)")->check(CLI::NonNegativeNumber);
  sub->add_option("--end", o->end, "last time kept (s)")->check(CLI::NonNegativeNumber);
  sub->add_option("--resample", o->resample,
                  "write at this step (s) by band-limited interpolation; the record's step "
                  "times or divided by a power of two")
      ->check(CLI::PositiveNumber);
  sub->callback([o, &status] {
    if (o->start && o->end && *o->start > *o->end) {
      throw CLI::ValidationError("--start", "must not be later than --end");
    }
    status = run_import(*o);
  });
}

}  // namespace wavetool
