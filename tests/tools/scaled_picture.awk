# scaled_picture.awk -v s=SCALE: an enlarged window's 0xRRGGBB pixels, one row a line.
# Prints the pixels unlike the first of their s x s block; for the reduced picture (in
# RGB565, each channel's top bits): the share (%) of its commonest colour, 1 if that is
# a background of the demo (v<<11 | v<<5 | v, low 16 bits), and its whole stamps
# (a centre with its half colour on all four sides).
function or16(a, b,   r, bit) {  # mawk has no bitwise operators
  r = 0
  for (bit = 1; bit < 65536; bit *= 2) if (int(a / bit) % 2 || int(b / bit) % 2) r += bit
  return r
}
function rgb565(p) { return int(p / 524288) % 32 * 2048 + int(p / 1024) % 64 * 32 + int(p / 8) % 32 }
function half(c) { return int(c / 4096) * 2048 + int(int(c / 32) % 64 / 2) * 32 + int(c % 32 / 2) }
{
  y = NR - 1
  for (x = 0; x < NF; x++) {
    if (y % s == 0) top[x] = $(x + 1)
    if ($(x + 1) != top[x - x % s]) mixed++
    if (y % s == 0 && x % s == 0) { c = rgb565($(x + 1)); r[y / s, x / s] = c; n[c]++ }
  }
}
END {
  h = NR / s; w = NF / s
  for (c in n) if (n[c] > n[bg]) bg = c
  for (v = 0; v < 4096 && !ramp; v++) ramp = or16(or16(v * 2048 % 65536, v * 32 % 65536), v) == bg
  for (y = 1; y < h - 1; y++) for (x = 1; x < w - 1; x++) {
    c = r[y, x]; m = half(c)
    if (c != bg && m != c && r[y, x - 1] == m && r[y, x + 1] == m && r[y - 1, x] == m && r[y + 1, x] == m) stamps++
  }
  printf "%d %d %d %d\n", mixed, int(100 * n[bg] / (w * h)), ramp, stamps
}
