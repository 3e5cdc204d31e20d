#!/usr/bin/env bash
# count_plugin_test.sh: the console cost model of bench/count_plugin.c against ARM loops
# whose cycles are counted by hand (beside each loop). Each runs once to warm the caches,
# then once counted; the counted phase less an empty one is its cost. Write-bound loops
# may differ by what the write buffer holds at either end. Needs gcc,
# arm-linux-gnueabi-gcc and qemu-arm (scripts/arm.sh runs it).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

gcc -shared -fPIC -O2 -Wall -Wextra -Werror -o "$work/plugin.so" "$root/bench/count_plugin.c"
cat >"$work/loops.S" <<'ASM'
        .syntax unified
        .arm
        .set screen, 0x100000   @ the .bss: its address needs no literal load
        .macro mark             @ opens phase r1: getpid with the counter's tag in r0
        mov r0, #0x50000000
        orr r0, r0, #0x00430000
        orr r0, r0, #0x00004E00
        orr r0, r0, #0x00000054
        mov r7, #20
        svc #0
        .endm
        .macro measure body, phase
        ldr r10, =\body
        mov r11, #\phase
        bl measure
        .endm

        .text
        .global _start
_start: measure empty, 99       @ brings measure's own code into the cache
        measure empty, 1
        measure fill, 2
        measure sweep, 4
        measure oneset, 5
        measure writeback, 6
        measure code18k, 7
        measure code36k, 8
        measure core, 9
        mov r0, #0
        mov r7, #1
        svc #0

measure:                        @ runs r10 uncounted, then counted in phase r11
        mov r12, lr
        mov r1, #99
        mark
        mov lr, pc
        bx r10
        mov r1, r11
        mark
        mov lr, pc
        bx r10
        mov r1, #99
        mark
        bx r12
        .ltorg

empty:  bx lr

fill:   mov r0, #screen         @ 4800 x (stm 8 + subs 1 + bne 3) of core, but each
        mov r1, #4800           @ store misses (no write allocation) and the buffer
1:      stmia r0!, {r2-r9}      @ drains a word every 4 cycles: 38400 x 4 = 153600,
        subs r1, r1, #1         @ give or take its 16 words (64)
        bne 1b
        bx lr

sweep:  mov r0, #screen         @ two loads a line of the screen, the first of them
        mov r1, #9600           @ missing: 2 + 9600 x (1 + 1 + 3) + 4800 x fill 40 - 2
1:      ldr r2, [r0], #16       @ = 240000, 4800 misses
        subs r1, r1, #1
        bne 1b
        bx lr

oneset: mov r0, #screen         @ 65 lines 256 bytes apart, all in one set of 64
        mov r1, #65             @ ways, so round robin misses each time: 2 + 65 x
1:      ldr r2, [r0], #256      @ (1 + 40 + 1 + 3) - 2 = 2925, 65 misses
        subs r1, r1, #1
        bne 1b
        bx lr

writeback:                      @ 8 KB read and written (dirty), then the rest of the
        mov r0, #screen         @ screen read, which evicts it: 2, 256 x (1 + 40 +
        mov r1, #256            @ 1 + 1 + 1 + 3) - 2, 1, 4544 x (1 + 40 + 1 + 3) - 2,
1:      ldr r2, [r0]            @ and 256 dirty halves written back (open 8 + 4 x 4)
        str r2, [r0], #32       @ each making the next fill wait 24 - 5 = 19:
        subs r1, r1, #1         @ 221375, 4800 misses
        bne 1b
        mov r1, #4544
1:      ldr r2, [r0], #32
        subs r1, r1, #1
        bne 1b
        bx lr

        .balign 32              @ straight-line code past the instruction cache: 36 KB
code36k:                        @ cost 18 KB more than 18 KB, as both evict the rest:
        .rept 4608              @ 4608 + 576 fills x 40 = 27648, 576 I-misses
        add r1, r1, #1
        .endr
code18k:
        .rept 4608
        add r1, r1, #1
        .endr
        bx lr

core:                           @ 1000 x 75 - 2 + 3 of set-up = 75001
        mov r9, lr
        mov r0, #screen
        mov r3, #1000
1:      mul r1, r2, r1          @ 1 + 3 steps
        mla r1, r2, r1, r0      @ 2 + 3
        smull r8, r4, r1, r2    @ 2 + 3
        umlal r8, r4, r1, r2    @ 3 + 3
        ldr r1, [r0]            @ 1 + 1: used at once
        add r2, r2, r1          @ 1
        ldrb r1, [r0]           @ 1 + 2: a byte used at once
        add r2, r2, r1          @ 1
        ldrh r1, [r0]           @ 1 + 1: a halfword used by the instruction after next
        add r8, r8, r9          @ 1
        add r2, r2, r1          @ 1
        ldr r1, [r0]            @ 1: a word used by the instruction after next
        add r8, r8, r9          @ 1
        add r2, r2, r1          @ 1
        ldmia r0, {r1, r8}      @ 2 + 1: its last register used at once
        add r2, r2, r8          @ 1
        add r2, r2, r1, lsl r3  @ 2: a register-specified shift
        bl pop                  @ 3 + 2 + 6
        bl loadpc               @ 3 + 1 + 5
        bl condpc               @ 3 + 1 + 3
        cmp r3, #0              @ 1
        ldreq r1, [r0]          @ 1: condition fails, no interlock, no access
        addeq r2, r2, r1        @ 1
        beq 2f                  @ 1: not taken
        subs r3, r3, #1         @ 1
        bne 1b                  @ 3 taken
2:      bx r9
pop:    stmdb sp!, {r1, lr}     @ 2: the stack's line is cached (the ldm read it)
        ldmia sp!, {r1, pc}     @ 2 + 4
loadpc: str lr, [sp, #-4]!      @ 1
        ldr pc, [sp], #4        @ 5
condpc: cmp r3, #0              @ 1
        movne pc, lr            @ 3: taken

        .bss
screen_space:
        .space 153600
ASM
arm-linux-gnueabi-gcc -nostdlib -static -march=armv4t -marm -Wl,-Tbss=0x100000 \
  "$work/loops.S" -o "$work/loops"
qemu-arm -cpu arm926 -plugin "$work/plugin.so" "$work/loops" 2>"$work/counts"

failures=0
# phase, base phase, what, hand-counted cycles, of which waiting for memory, allowed
# difference, D-misses, I-misses, store misses (each as the phase's count less the base's)
check() {
  local got
  got=$(awk -v p="$1" -v b="$2" '$1 == "phase" && ($2 == p || $2 == b) {
      s = $2 == p ? 1 : -1; for (k = 5; k <= 9; ++k) d[k] += s * $k }
    END { printf "%d %d %d %d %d", d[5], d[9], d[6], d[7], d[8] }' "$work/counts")
  read -r cycles memory dmiss imiss stores <<<"$got"
  local diff=$((cycles - $4)) mdiff=$((memory - $5))
  ((diff >= -$6 && diff <= $6 && mdiff >= -$6 && mdiff <= $6)) && [[ "$dmiss $imiss $stores" == "$7 $8 $9" ]] && return
  echo "count_plugin_test: $3: expected $4 cycles ($5 for memory, within $6), $7 D-misses," \
    "$8 I-misses, $9 store misses; got $cycles ($memory), $dmiss, $imiss, $stores" >&2
  failures=$((failures + 1))
}
check 2 1 "screen fill" 153600 96000 64 0 0 38400
check 4 1 "screen read" 240000 192000 0 4800 0 0
check 5 1 "one cache set overrun" 2925 2600 0 65 0 0
check 6 1 "dirty lines written back" 221375 196864 0 4800 0 0
check 8 7 "code past the instruction cache" 27648 23040 0 0 576 0
check 9 1 "multiplies, load-use, calls and returns" 75001 0 0 0 0 0
[[ $failures -eq 0 ]] || { sed 's/^/  /' "$work/counts" >&2; exit 1; }
echo "count_plugin_test: 6 hand-counted loops agree with the cost model"
