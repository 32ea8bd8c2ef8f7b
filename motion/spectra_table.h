// The table of spectra of a fit: the target and the spectrum after each iteration at every grid
// point, one row per period, longest first (its text in waveio/fit_layouts.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
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

// Significant digits of the values a fitted wave's file and the spectra table hold after the
// time or period (fitwave's E12.4, whose pattern lives with the layouts in waveio and is checked
// against this): what the design fit rounds every value to.
inline constexpr int written_digits = 4;

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
