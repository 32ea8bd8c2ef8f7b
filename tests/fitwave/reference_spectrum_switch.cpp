// Linked with fitwave's own main routine into fitwave_reference: the same program, with every
// response spectrum taken from the scalar oscillator loop. Set before main runs.
#include "motion/response_spectrum.h"

namespace {

const bool reference_selected = [] {
  motion::use_reference_spectrum(true);
  return true;
}();

}  // namespace
