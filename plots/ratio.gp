# Computed / target spectral acceleration of the last iteration against period, with the lines
# at 0.85 (criterion 1) and 1.0, the criteria windows and the smallest ratio within 0.02-10 s.
# ARG1 plots folder, ARG2 spectra table, ARG3 iterations, ARG4 longest period (s), ARG5 output.
here = ARG1
table = ARG2
nit = int(ARG3)
tmax = real(ARG4)
out = ARG5

set datafile separator ','
set datafile columnheaders
ratio(k) = column(k + 2) / column(2)
stats table using 1:(($1 >= 0.02 && $1 <= 10) ? ratio(nit) : NaN) nooutput

set logscale x
set xrange [0.02:tmax]
# Room for the 0.85 and 1.0 lines even when the fit is close; a wild ratio may still show.
set yrange [0 < * < 0.8 : 1.2 < * < 3]
set xtics (0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100) nomirror
set mxtics 10
set grid xtics mxtics ytics lc rgb '#c8c8c8' lw 0.5
set xlabel 'Period (s)'
set ylabel 'Computed / target spectral acceleration'
set title sprintf('Spectral ratio after iteration %d', nit)
set key bottom right opaque box lc rgb '#c8c8c8'

load here.'/windows.gp'
set label 3 sprintf('smallest %.3f at %.3f s', STATS_min_y, STATS_pos_min_y) \
    at STATS_pos_min_y, STATS_min_y offset 1, -1 left front
set object 3 circle at STATS_pos_min_y, STATS_min_y size screen 0.006 front \
    fc rgb '#c0282d' fs solid noborder

do for [fmt in 'png svg'] {
  call here.'/terminal.gp' fmt out
  plot 1.0 with lines lw 1.5 lc rgb '#000000' title 'ratio 1.0', \
       0.85 with lines lw 1.5 dt 2 lc rgb '#e08a1e' title 'ratio 0.85', \
       table using 1:(ratio(nit)) with lines lw 2 lc rgb '#c0282d' \
         title sprintf('iteration %d', nit)
  unset output
}
