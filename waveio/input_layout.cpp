#include "waveio/input_layout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "textio/textio.h"
#include "waveio/text_fields.h"

namespace waveio {
namespace {

// Line (from 1) of the character at index.
int line_at(std::string_view text, std::size_t index) {
  const auto end = text.begin() + static_cast<std::ptrdiff_t>(std::min(index, text.size()));
  return 1 + static_cast<int>(std::count(text.begin(), end, '\n'));
}

std::string_view line_text(std::string_view text, int line) {
  std::size_t start = 0;
  for (int k = 1; k < line; ++k) start = text.find('\n', start) + 1;
  std::size_t end = text.find('\n', start);
  if (end == std::string_view::npos) end = text.size();
  std::string_view s = text.substr(start, end - start);
  if (!s.empty() && s.back() == '\r') s.remove_suffix(1);
  return s;
}

// The first character after from that is not a blank or a line end, or npos.
std::size_t first_value(std::string_view text, std::size_t from) {
  return from < text.size() ? text.find_first_not_of(" \t\r\n", from) : std::string_view::npos;
}

file_error pair_error(std::string_view text, const std::string& file, int line) {
  return {file, line,
          "expected a time and an acceleration, found " + quoted(trim(line_text(text, line)))};
}

std::string number_text(double x, int digits) {
  char buffer[40];
  const int n = std::snprintf(buffer, sizeof buffer, "%.*g", digits, x);
  return {buffer, static_cast<std::size_t>(n)};
}

// 9 digits where fitwave's reading of them (to double, then to float) gives float(dt), else 17.
int time_digits(double dt) {
  const double read = textio::scan_real(number_text(dt, 9)).value;
  return static_cast<float>(read) == static_cast<float>(dt) ? 9 : 17;
}

}  // namespace

wave_read read_wave_text(std::string_view text, const std::string& file) {
  wave_read r;
  std::vector<float> time;
  int second_line = 0;  // where the step is read
  textio::list_reader reader(text);
  reader.read({});  // the header, whatever it holds
  const std::size_t records = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  time.reserve(records);
  r.w.acc.reserve(records);
  for (;;) {
    const std::size_t from = reader.position();
    // Fresh targets for every read, as fitwave's arrays: a null or a slash leaves a zero.
    float t = 0.0f, a = 0.0f;
    const std::array<textio::target, 2> targets{&t, &a};
    const textio::list_status status = reader.read(targets);
    if (status == textio::list_status::cut) {
      // fitwave drops a last pair whose line is cut after extra text; a reader of the user's file
      // asks for the line end instead.
      const int line = line_at(text, text.size());
      r.error = file_error{file, line,
                           "expected a line end after the last time and acceleration (fitwave "
                           "drops them without it), found " +
                               quoted(trim(line_text(text, line)))};
      return r;
    }
    if (status == textio::list_status::end) {
      // fitwave drops a time whose acceleration never comes; a reader of the user's file says so.
      const std::size_t rest = first_value(text, from);
      if (rest != std::string_view::npos) r.error = pair_error(text, file, line_at(text, rest));
      break;
    }
    const std::size_t at = reader.position();
    // A whole read leaves the text after its record's line end. Counted only where it is
    // needed: counting for every sample would cost the square of a long record's length.
    const auto line = [&] { return line_at(text, at > 0 && text[at - 1] == '\n' ? at - 1 : at); };
    if (status != textio::list_status::values) {
      r.error = pair_error(text, file, line_at(text, at));
      return r;
    }
    if (!std::isfinite(t) || !std::isfinite(a)) {
      r.error = file_error{file, line(),
                           "expected a time and an acceleration within single precision, found " +
                               quoted(trim(line_text(text, line())))};
      return r;
    }
    time.push_back(t);
    r.w.acc.push_back(a);
    if (time.size() == 2) second_line = line();
  }
  if (r.error) return r;
  if (r.w.acc.size() < 2) {
    r.error = file_error{file, 0,
                         "expected a header line and at least 2 lines of time and acceleration, "
                         "found " +
                             std::to_string(r.w.acc.size())};
    return r;
  }
  r.w.dt = time[1] - time[0];
  if (!(r.w.dt > 0.0f) || !std::isfinite(r.w.dt)) {
    r.error =
        file_error{file, second_line,
                   "expected a time after the first, found a step of " + float_text(r.w.dt) + " s"};
  }
  return r;
}

std::string input_wave_text(std::span<const float> gal, double dt) {
  const int digits = time_digits(dt);
  std::string text = std::string(input_header) + "\r\n";
  text.reserve(gal.size() * 32);
  for (std::size_t i = 0; i < gal.size(); ++i) {
    text += number_text(static_cast<double>(i) * dt, digits);
    text += ',';
    text += float_text(gal[i]);
    text += "\r\n";
  }
  return text;
}

}  // namespace waveio
