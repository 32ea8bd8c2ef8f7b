# The fitted acceleration against time inside +-envelope x peak, and above it the seed wave when
# its file is given. Each panel has its own scale: the seed is often far weaker than the fit.
# ARG1 plots folder, ARG2 fitted wave, ARG3 its peak (gal), ARG4 seed wave or '',
# ARG5 its peak (gal), ARG6 output.
here = ARG1
fitted = ARG2
peak = real(ARG3)
seed = ARG4
seed_peak = real(ARG5)
out = ARG6

set datafile separator ','
set datafile columnheaders
# A silent wave (peak 0) still gets a y axis.
span(p) = p > 0 ? 1.15 * p : 1
set autoscale xfix
set grid lc rgb '#c8c8c8' lw 0.5
set ylabel 'Acceleration (gal)'
# One left margin for both panels, so that their time axes line up.
set lmargin 10
set key top right opaque box lc rgb '#c8c8c8'

do for [fmt in 'png svg'] {
  call here.'/terminal.gp' fmt out
  if (seed ne '') {
    set multiplot layout 2, 1
    unset xlabel
    set title 'Seed wave'
    set yrange [-span(seed_peak):span(seed_peak)]
    plot seed using 1:2 with lines lw 0.6 lc rgb '#6b6b6b' \
      title sprintf('seed, peak %.1f gal', seed_peak)
  }
  set xlabel 'Time (s)'
  set title 'Fitted wave'
  set yrange [-span(peak):span(peak)]
  plot fitted using 1:2 with lines lw 0.6 lc rgb '#1f5fa8' \
         title sprintf('fitted, peak %.1f gal', peak), \
       '' using 1:($3 * peak) with lines lw 1.5 lc rgb '#c0282d' title '± envelope × peak', \
       '' using 1:(-$3 * peak) with lines lw 1.5 lc rgb '#c0282d' notitle
  if (seed ne '') {
    unset multiplot
  }
  unset output
}
