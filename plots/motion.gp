# Acceleration, velocity and displacement of a wave, one panel each on a shared time axis, with
# the values at the last sample marked: a wave that ends moving shows it at a glance.
# ARG1 plots folder, ARG2 data (time, acc gal, vel cm/s, dis cm), ARG3 end time (s),
# ARG4 end velocity (cm/s), ARG5 end displacement (cm), ARG6 title, ARG7 output.
here = ARG1
data = ARG2
tend = real(ARG3)
vend = real(ARG4)
dend = real(ARG5)
name = ARG6
out = ARG7

set autoscale xfix
set grid lc rgb '#c8c8c8' lw 0.5
# One left margin for the three panels, so that their time axes line up.
set lmargin 12
set xzeroaxis lt 1 lw 0.8 lc rgb '#808080'
# Room after the last sample for its mark; the end values stand above their panels.
set offsets 0, graph 0.015, 0, 0
set key tmargin right horizontal noopaque nobox

do for [fmt in 'png svg'] {
  call here.'/terminal.gp' fmt out
  set multiplot layout 3, 1 title name
  unset xlabel
  set ylabel 'Acceleration (gal)'
  plot data using 1:2 with lines lw 0.6 lc rgb '#1f5fa8' title 'acceleration'
  set ylabel 'Velocity (cm/s)'
  plot data using 1:3 with lines lw 1 lc rgb '#1f5fa8' notitle, \
       '+' using (tend):(vend) every ::0::0 with points pt 7 ps 1.2 lc rgb '#c0282d' \
         title sprintf('end velocity %.2f cm/s', vend)
  set xlabel 'Time (s)'
  set ylabel 'Displacement (cm)'
  plot data using 1:4 with lines lw 1 lc rgb '#1f5fa8' notitle, \
       '+' using (tend):(dend) every ::0::0 with points pt 7 ps 1.2 lc rgb '#c0282d' \
         title sprintf('end displacement %.1f cm', dend)
  unset multiplot
  unset output
}
