// wavetool: real records into fitwave's input layout, and a full report of any wave.
#include <string>

#include "wavetool/command_line.h"
#include "wavetool/commands.h"

int main(int argc, char** argv) {
  CLI::App app{"wavetool: records in, design waves checked", "wavetool"};
  app.set_version_flag("--version", wavetool::version);
  app.require_subcommand(1);
  // Set before the subcommands are added, so that they inherit it.
  app.failure_message([](const CLI::App* parsed, const CLI::Error& e) {
    return "wavetool: " + wavetool::usage_message(*parsed, e) +
           "\nRun 'wavetool --help' for the usage.\n";
  });
  int status = 0;
  wavetool::add_import_command(app, status);
  wavetool::add_check_command(app, status);
  wavetool::add_fit_command(app, status);
  wavetool::add_target_command(app, status);
  wavetool::add_seed_command(app, status);
  wavetool::add_suite_command(app, status, argc > 0 ? argv[0] : "wavetool");
  wavetool::add_export_command(app, status);
  wavetool::add_site_command(app, status);
  wavetool::add_scale_command(app, status);
  wavetool::refuse_empty_values(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : wavetool::exit_usage;
  }
  return status;
}
