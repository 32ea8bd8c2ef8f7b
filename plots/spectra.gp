# Spectral acceleration against period: the target, every iteration (early ones light, the last
# one bold), the band from 0.85 x target to the target, and the period windows of the criteria.
# ARG1 plots folder, ARG2 spectra table, ARG3 iterations, ARG4 longest period (s), ARG5 output.
here = ARG1
table = ARG2
nit = int(ARG3)
tmax = real(ARG4)
out = ARG5

set datafile separator ','
set datafile columnheaders
set logscale x
set xrange [0.02:tmax]
set yrange [0:*]
set xtics (0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100) nomirror
set mxtics 10
set grid xtics mxtics ytics lc rgb '#c8c8c8' lw 0.5
set xlabel 'Period (s)'
set ylabel 'Spectral acceleration, 5 % damping (gal)'
set title nit >= 1 ? sprintf('Response spectra of %d iteration%s against the design target', \
                            nit, nit == 1 ? '' : 's') : 'Design target spectrum (no iteration)'
set key top right opaque box lc rgb '#c8c8c8' spacing 1.1

load here.'/windows.gp'

# Iterations 1 .. nit-1 fade from pale to mid blue so that the later ones stand out.
pale(k) = nit <= 2 ? 0.0 : (nit - 1.0 - k) / (nit - 2.0)
shade(k) = int(0x42 + pale(k) * (0xc6 - 0x42)) * 65536 + \
           int(0x92 + pale(k) * (0xdb - 0x92)) * 256 + int(0xc6 + pale(k) * (0xef - 0xc6))

# Macros, so that a table without iterations (nit = 0) draws the same band and target alone.
band = "table using 1:(0.85 * $2):2 with filledcurves fc rgb '#fdd9a8' fs solid 0.9 noborder \
        title '0.85 × target to target'"
target = "table using 1:2 with lines lw 2 dt 2 lc rgb '#000000' title 'target'"

do for [fmt in 'png svg'] {
  call here.'/terminal.gp' fmt out
  if (nit >= 1) {
    plot @band, \
         for [k = 1:nit - 1] table using 1:k + 2 with lines lw 1 lc rgb shade(k) \
           title sprintf('iteration %d', k), \
         @target, \
         table using 1:nit + 2 with lines lw 2.5 lc rgb '#c0282d' \
           title sprintf('iteration %d (last)', nit)
  } else {
    plot @band, @target
  }
  unset output
}
