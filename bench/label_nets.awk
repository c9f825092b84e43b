# The text of a sheet file of 40,000 nets that share one label name: eight
# sheets of 5,000 short wires, each named SIG by a label on it (80,000 open
# wire ends, and every net key needs its place). For sheettool build.
#
#   awk -f bench/label_nets.awk >nets.txt
BEGIN {
  print "sheet-file"
  for (s = 0; s < 8; s++) {
    print "sheet code=4"
    for (i = 0; i < 5000; i++) {
      x = 100 + (i % 70) * 40; y = 100 + int(i / 70) * 20
      printf "wire from=%d,%d to=%d,%d\n", x, y, x + 20, y
      printf "label at=%d,%d text=\"SIG\"\n", x + 10, y
    }
  }
}
