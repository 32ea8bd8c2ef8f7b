# The fitted acceleration against time inside +-envelope x peak, and above it the seed wave when
# its file is given, both panels on the same scale.
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
top = 1.15 * (peak > seed_peak ? peak : seed_peak)
set yrange [-top:top]
set autoscale xfix
set grid lc rgb '#c8c8c8' lw 0.5
set ylabel 'Acceleration (gal)'
set key top right opaque box lc rgb '#c8c8c8'

do for [fmt in 'png svg'] {
  call here.'/terminal.gp' fmt out
  if (seed ne '') {
    set multiplot layout 2, 1
    unset xlabel
    set title 'Seed wave'
    plot seed using 1:2 with lines lw 0.6 lc rgb '#6b6b6b' \
      title sprintf('seed, peak %.1f gal', seed_peak)
  }
  set xlabel 'Time (s)'
  set title 'Fitted wave'
  plot fitted using 1:2 with lines lw 0.6 lc rgb '#1f5fa8' \
         title sprintf('fitted, peak %.1f gal', peak), \
       '' using 1:($3 * peak) with lines lw 1.5 lc rgb '#c0282d' title '± envelope × peak', \
       '' using 1:(-$3 * peak) with lines lw 1.5 lc rgb '#c0282d' notitle
  if (seed ne '') {
    unset multiplot
  }
  unset output
}
