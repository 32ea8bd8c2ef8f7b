// Renderings of single values: the free-form real and integer items and the I, F and E fields
// of edit patterns. Each appends its characters to a buffer; none can fail.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "textio/textio.h"

namespace textio::detail {

// A free-form real: a blank, a blank or minus sign, then "%.9G" with trailing zeros dropped, a
// point always present ("4.", "1.E+010") and at least three exponent digits. Zero is " 0.".
void append_free_real(std::string& out, double v);

// Iw: the integer right-justified in w characters, or w asterisks when it does not fit.
void append_i_field(std::string& out, std::int32_t v, int w);
// Fw.d: fixed point with d decimals; no minus sign when every digit written is zero.
void append_f_field(std::string& out, double v, int w, int d);
// Ew.d: 0.d1..dd E+xx with d significant digits ("0.1000-119" for three exponent digits).
void append_e_field(std::string& out, double v, int w, int d);

// A record under construction and what receives it when it ends.
class record_writer {
 public:
  virtual ~record_writer() = default;
  std::string record;
  // Hands `record` on as one line and leaves it empty.
  virtual void end_record() = 0;
};

// Records of less than this many characters keep adding free-form items.
inline constexpr std::size_t free_record_limit = 80;

// Builds the free-form record(s) of the items, ending the last one.
void write_free_items(record_writer& out, std::span<const item> items);

}  // namespace textio::detail
