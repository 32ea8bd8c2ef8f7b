// Small records written by hand in each format, with their values worked out by hand; shared by
// the reader tests and the end-to-end tests.
#pragma once

#include <string_view>

namespace wavetool_test {

// PEER NGA, newer header: 7 values in g at 0.01 s; the eighth number is past NPTS.
inline constexpr std::string_view at2_new =
    "PEER NGA STRONG MOTION DATABASE RECORD\n"
    "Hand-written record, 0 degrees\n"
    "ACCELERATION TIME SERIES IN UNITS OF G\n"
    "NPTS=      7, DT=   .0100 SEC,\n"
    "  .1000000E+00 -.2000000E+00  .5000000E-01\n"
    " 1.0  -1.0 .25\n"
    " .5 9.9\n";

// PEER NGA, older header: 3 values at 0.02 s.
inline constexpr std::string_view at2_old =
    "PACIFIC ENGINEERING AND ANALYSIS STRONG-MOTION DATA\n"
    "Hand-written record, 90 degrees\n"
    "ACCELERATION TIME HISTORY IN UNITS OF G\n"
    "     3    .0200    NPTS, DT\n"
    "   .1000E+00   .2000E+00\n"
    "  -.3000E+00\n";

// K-NET: scale 2000/8000 = 0.25 gal a count; the counts sum to 1000, so the mean is 25 gal and
// the record is 0, 1, -1, 2, -2, 0, 0, 0, 2.5, -2.5 gal, peak 2.5 as the header says.
inline constexpr std::string_view knet =
    "Origin Time       2024/01/01 16:10:00\n"
    "Lat.              37.495\n"
    "Long.             137.270\n"
    "Depth. (km)       16\n"
    "Mag.              7.6\n"
    "Station Code      TST001\n"
    "Station Lat.      37.4000\n"
    "Station Long.     137.2000\n"
    "Station Height(m) 10\n"
    "Record Time       2024/01/01 16:10:10\n"
    "Sampling Freq(Hz) 100Hz\n"
    "Duration Time(s)  0.1\n"
    "Dir.              N-S\n"
    "Scale Factor      2000(gal)/8000\n"
    "Max. Acc. (gal)   2.5\n"
    "Last Correction   2024/01/01 16:10:00\n"
    "Memo.\n"
    "     100     104      96     108      92     100     100     100\n"
    "     110      90\n";

// JMA CSV at 50 Hz: NS 1.5, -3, 0.75; EW -2.25, 4, 0; UD 0.125, -0.5, 1 (gal).
inline constexpr std::string_view jma =
    "SITE CODE= TST\n"
    "LAT.= 35.000\n"
    "LON.= 139.000\n"
    "SAMPLING RATE= 50Hz\n"
    "UNIT  = gal\n"
    "INITIAL TIME = 2024 01 01 16 10 10\n"
    "NS, EW, UD\n"
    "1.5, -2.25, 0.125\n"
    "-3.0, 4.0, -0.5\n"
    "0.75, 0, 1\n";

// Time and acceleration with a comment and a header: 1, -2.5, 3.25 gal at 0.01 s.
inline constexpr std::string_view columns =
    "# hand-written\n"
    "time acc\n"
    "0.00\t1.0\n"
    "0.01  -2.5\n"
    "\n"
    "0.02, 3.25\n";

}  // namespace wavetool_test
