// The table of spectra of a fit: the target and the spectrum after each iteration at every grid
// point, and how it is laid out as text (a header, then one row per period, longest first).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace motion {

// Iterations a table has room for.
inline constexpr std::int32_t max_table_iterations = 10;

// Column 0 the target, column k = 1..10 the spectrum after iteration k; row j (grid point j,
// from 1) is element j-1 of each column. Values in gal.
class spectra_table {
 public:
  static constexpr std::size_t columns = max_table_iterations + 1;
  explicit spectra_table(std::size_t rows) : rows_(rows), resa_(rows * columns) {}

  std::size_t rows() const { return rows_; }
  std::span<float> column(std::size_t k) {
    return std::span<float>(resa_).subspan(k * rows_, rows_);
  }
  std::span<const float> column(std::size_t k) const {
    return std::span<const float>(resa_).subspan(k * rows_, rows_);
  }

 private:
  std::size_t rows_;
  std::vector<float> resa_;
};

// Edit patterns of the header (the iteration numbers) and of a row (the period, then values).
inline constexpr std::string_view table_header_pattern =
    "('period(sec),kokuji1461',20(',Iteration No.',I3))";
inline constexpr std::string_view table_row_pattern = "(F8.4,20(',',E12.4))";

// Significant digits of the values a row holds after the first: the digits after the point of
// the pattern's last descriptor (E12.4). What a fitted wave holds, and so what a fit rounds to.
inline constexpr int written_digits = [] {
  const std::string_view p = table_row_pattern;
  int digits = 0;
  for (std::size_t k = p.rfind('.') + 1; k < p.size() && p[k] >= '0' && p[k] <= '9'; ++k) {
    digits = digits * 10 + (p[k] - '0');
  }
  return digits;
}();

// Thins the rows, fed in increasing period: a row is kept unless its period lies less than
// 0.01 s from the period of the last row kept.
class row_thinning {
 public:
  bool keep(float period1);

 private:
  float period0_ = 9999.9f;
};

// Values in one row for a fit of nit iterations: the period, then columns 0..nit (capped at the
// table's columns; none of them when nit < 0).
std::size_t table_row_values(std::int32_t nit);

}  // namespace motion
