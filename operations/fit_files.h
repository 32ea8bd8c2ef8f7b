// The files of a design fit, in fitwave's layouts so that plots/plot.sh and `wavetool check`
// read them: the fitted wave and the spectra table. Lines end in CR LF.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "motion/design_fit.h"

namespace wavetool {

// The header " time(sec),Acc(gal),eamp,eamp*ampfac", then per sample the time, the wave as
// the fit judged it, the envelope and its shaping, under "(F8.4,20(',',E12.4))" (the time field
// wider where a time reaches 1000 s).
std::string fitted_wave_text(const motion::design_result& r);

// fitwave's spectra table with three columns: the target, the input's spectrum (headed as
// iteration 0) and the written iteration's spectrum (headed with its number). The target's
// column is fitwave's "kokuji1461" when target is empty, else target (a spectrum's
// description) with every comma a semicolon and every control character a blank, so that the
// header keeps one field per column.
std::string spectra_table_text(const motion::design_result& r, const std::string& target = {});

// A wave that no envelope shaped (a site's motion, a scaled record) in the fitted wave's layout,
// so that check, fit, export and the plots read it as they read a fit's: the envelope and its
// shaping written as 1.
std::string unshaped_wave_text(std::span<const float> acc, float dt);

// Why a wave of step dt (s) cannot be written in that layout and read back at its step, or
// nothing: the time column holds four decimals (0.00025 s would read back as 0.0003 s).
std::optional<std::string> unwritable_step(float dt);

}  // namespace wavetool
