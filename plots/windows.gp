# Shades the period windows over which fitwave reports its acceptance measures.
set object 1 rect from 0.02, graph 0 to 10, graph 1 behind fc rgb '#eef2f8' fs solid noborder
set object 2 rect from 1, graph 0 to 5, graph 1 behind fc rgb '#dbe4f0' fs solid noborder
set label 1 '0.02–10 s: criteria 1, 3, 4' at 0.022, graph 0.97 left front textcolor rgb '#50607a'
set label 2 '1–5 s: criterion 2' at 1.05, graph 0.93 left front textcolor rgb '#50607a'
