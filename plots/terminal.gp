# Opens one picture: ARG1 is png or svg, ARG2 the output path without its extension.
# 900 x 600 keeps a PNG small enough to commit and readable on a screen.
set encoding utf8
if (ARG1 eq 'png') {
  if (strstrt(GPVAL_TERMINALS, 'pngcairo') > 0) {
    set terminal pngcairo size 900,600 font 'sans,10' noenhanced
  } else {
    set terminal png size 900,600 noenhanced
  }
} else {
  set terminal svg size 900,600 font 'sans,10' noenhanced
}
set output ARG2.'.'.ARG1
