// Fuzzes one record reader, chosen when the target is built (GM_RECORD_FORMAT): the first byte
// picks the command-line options, the rest is the record's text. A record that is accepted holds
// at least 2 samples, a step fitwave can use, and values finite in gal in single precision, each
// with its line; a refusal names a line of the text in a message of one short line.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "waveio/records.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned pick = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  waveio::record_options o;
  if (pick & 1u) o.dt = (pick & 2u) ? 0.01 : 1e-50;
  o.column = static_cast<int>((pick >> 2) & 3u);
  constexpr const char* components[] = {"NS", "EW", "UD"};
  if (((pick >> 4) & 3u) < 3u) o.component = components[(pick >> 4) & 3u];
  if (pick & 64u) o.unit = (pick & 128u) ? waveio::accel_unit::g : waveio::accel_unit::gal;

  (void)waveio::detect_format(text);
  const waveio::parsed_record r = waveio::parse_record(text, waveio::GM_RECORD_FORMAT, o);
  if (!r.ok()) {
    check(r.error->line >= 0, "error line");
    check(r.error->message.size() < 400, "a message of one short line");
    return 0;
  }
  const waveio::record& rec = r.rec;
  check(rec.values.size() >= 2, "at least 2 samples");
  check(r.lines.size() == rec.values.size(), "a line for every value");
  const auto step = static_cast<float>(rec.dt);
  check(rec.dt > 0.0 && std::isfinite(step) && step > 0.0f, "a usable step");
  const double factor = waveio::gal_per(rec.unit);
  for (const double v : rec.values) {
    check(std::isfinite(static_cast<float>(v * factor)), "an accepted non-finite value");
  }
  for (const waveio::record_note& n : rec.notes) {
    check(n.text.size() < 400, "a note of one short line");
  }
  return 0;
}
