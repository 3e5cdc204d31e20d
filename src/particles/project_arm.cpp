#include "particles/project_arm.h"

#if defined(PARTICLES_ARM_PROJECTION)

#include <cstddef>
#include <cstdint>

#include "fixedpoint/bits.h"
#include "fixedpoint/divide.h"
#include "particles/projection.h"

namespace particles {

// What the loop keeps on its stack, this frame's projection: the layout the assembly
// reads by the offsets named beside each field.
struct RunFrame {
  ClipRows rows;              // 0: x, y and w rows
  const uint8_t* byteZeros;   // 48: fixedpoint::LeadingZeros's table
  uintptr_t seedLinesBelow;   // 52: the seed table's address less 512 entries
  uint32_t fadeMultiplier;    // 56: kFadeMultiplier
  ScreenStamp* stamps;        // 60: where the next stamp goes
  Particle3DData* end;        // 64: past the run
  uint32_t stampSpans[4];     // 68: Stamp3D's factors and offsets: 158, 159 << 16, 118, 119 << 16
};
static_assert(offsetof(RunFrame, byteZeros) == 48 && offsetof(RunFrame, end) == 64 && sizeof(RunFrame) == 84);
static_assert(sizeof(Particle3DData) == 32 && offsetof(Particle3DData, clip) == 16 &&
              offsetof(Particle3DData, colour) == 24 && offsetof(Particle3DData, shadedColour) == 26 &&
              offsetof(Particle3DData, visible) == 28);
static_assert(sizeof(fixedpoint::divide_detail::SeedLine) == 8 && sizeof(ScreenStamp) == 12);
static_assert(kFadeShift == 45);

}  // namespace particles

extern "C" {
// The particles the loop hands back, with the loop's frame.
void particles_Project3DOther(particles::Particle3DData* d, particles::RunFrame* frame) {
  particles::Project3DParticle(*d, frame->rows, frame->stamps);
}
particles::ScreenStamp* particles_Project3DLoop(particles::Particle3DData* data, const particles::RunFrame* frame);
}

// particles_Project3DLoop(data, frame): Project3DParticle, step by step, on each particle
// from data to frame->end; returns frame->stamps moved on. Registers through a particle:
//   r0 the particle; r4-r7 its position, then scratch; r8-r11 a matrix row, then the
//   quotients and the shaded colour; r1, r2 a 64-bit sum, then the shift and scratch;
//   r3 clip x, lr clip y, r12 clip w. The frame sits at sp.
// ARMv4T: MUL, UMULL, SMULL and SMLAL take a destination that differs from their first
// source; no CLZ (the leading zeros come from the byte table, as LeadingZeros does).
asm(R"(
    .pushsection .text
    .syntax unified
    .arm

    @ \dest = bits 16..47 of the sum of r8-r11 (a row) times r4-r7 (the position).
    .macro  p3_row dest
    smull   r1, r2, r8, r4
    smlal   r1, r2, r9, r5
    smlal   r1, r2, r10, r6
    smlal   r1, r2, r11, r7
    mov     r1, r1, lsr #16
    orr     \dest, r1, r2, lsl #16
    .endm
    @ The same for a position's w of 1.0: the row's w added after the shift. The two
    @ halves of the shifted sum do not overlap, so adding them is the same as or-ing.
    .macro  p3_row_unit_w dest
    smull   r1, r2, r8, r4
    smlal   r1, r2, r9, r5
    smlal   r1, r2, r10, r6
    add     r1, r11, r1, lsr #16
    add     \dest, r1, r2, lsl #16
    .endm
    @ The three rows from the frame, by one of the two above: x to r3, y to lr, w to r12.
    .macro  p3_rows row
    ldmia   sp, {r8-r11}
    \row    r3
    add     r12, sp, #16
    ldmia   r12!, {r8-r11}
    \row    lr
    ldmia   r12, {r8-r11}
    \row    r12
    .endm
    @ \q = \a / w (fixedpoint::ShortQuotient16): w in r12, its seed h in r5, down in r1;
    @ the estimate from |a| h is one short at most, and the remainder, 0 .. 2w - 1, says.
    .macro  p3_quotient q, a
    eor     r6, \a, \a, asr #31
    sub     r6, r6, \a, asr #31        @ |a|
    cmp     r6, r12, lsl #1
    bhs     .Lp3_other                  @ |a| >= 2w
    umull   r7, \q, r6, r5
    mov     \q, \q, lsr r1
    mul     r7, \q, r12
    rsb     r7, r7, r6, lsl #16
    cmp     r7, r12
    addhs   \q, \q, #1
    eor     \q, \q, \a, asr #31
    sub     \q, \q, \a, asr #31        @ a's sign
    .endm

    .align  2
    .global particles_Project3DLoop
    .type   particles_Project3DLoop, %function
particles_Project3DLoop:
    push    {r4-r11, lr}
    sub     sp, sp, #84
    mov     r12, sp                     @ the frame onto the stack
    ldmia   r1!, {r4-r11}
    stmia   r12!, {r4-r11}
    ldmia   r1!, {r4-r11}
    stmia   r12!, {r4-r11}
    ldmia   r1, {r4-r8}
    stmia   r12, {r4-r8}
    ldr     r1, [sp, #64]
    cmp     r0, r1
    bhs     .Lp3_done

.Lp3_particle:
    @ x, y and w of viewProj x position: each the 64-bit sum of four products, bits 16..47;
    @ for a w of 1.0 (every fountain and fire particle) one multiply less (RowTimesUnitW).
    ldmia   r0, {r4-r7}
    cmp     r7, #0x10000
    bne     .Lp3_any_w
    p3_rows p3_row_unit_w

.Lp3_divisor:
    @ The short divisor of w (fixedpoint::MakeShortDivisor): 1.0 <= w < 16384.0 here.
    cmp     r12, #0x10000
    blt     .Lp3_below_one
    cmp     r12, #0x40000000
    bhs     .Lp3_other
    ldr     r2, [sp, #48]
    movs    r1, r12, lsr #24            @ s, the leading zeros: 2..15
    ldrbne  r1, [r2, r1]
    ldrbeq  r1, [r2, r12, lsr #16]
    addeq   r1, r1, #8
    mov     r4, r12, lsl r1             @ d = w << s
    ldr     r2, [sp, #52]
    mov     r5, r4, lsr #22
    add     r2, r2, r5, lsl #3
    ldmia   r2, {r5, r6}                @ the seed line: lowered, slope
    umull   r7, r8, r6, r4
    sub     r5, r5, r8, lsl #1          @ h
    rsb     r1, r1, #15                 @ down

    p3_quotient r8, r3                  @ clip x
    p3_quotient r9, lr                  @ clip y

    @ The clip position, and on screen when both are within -1.0 .. 1.0 (OnScreen).
    str     r8, [r0, #16]
    str     r9, [r0, #20]
    add     r6, r8, #0x10000
    cmp     r6, #0x20000
    addls   r7, r9, #0x10000
    cmpls   r7, #0x20000
    bhi     .Lp3_off_screen

    @ Shade(colour, DepthFadeInFront(w)): the fade, floor(w kFadeMultiplier / 2^45), off
    @ each five-bit channel, floored at 0; green from its top five bits at 6..10.
    ldr     r2, [sp, #56]
    umull   r3, r4, r12, r2
    mov     r4, r4, lsr #13             @ the fade
    ldrh    r2, [r0, #24]               @ the colour
    rsbs    r3, r4, r2, lsr #11
    movlt   r3, #0                      @ red
    and     r5, r2, #0x7C0
    subs    r5, r5, r4, lsl #6
    movlt   r5, #0                      @ green, at 6..10
    and     r2, r2, #0x1F
    subs    r2, r2, r4
    movlt   r2, #0                      @ blue
    orr     r2, r2, r5
    orr     r10, r2, r3, lsl #11
    strh    r10, [r0, #26]
    mov     r2, #1
    strb    r2, [r0, #28]

    @ Its stamp (Stamp3D): (x * 158 + 159 << 16) >> 16, (y * 118 + 119 << 16) >> 16.
    add     r7, sp, #68
    ldmia   r7, {r2, r3, r6, r11}       @ 158, 159 << 16, 118, 119 << 16
    mla     r4, r8, r2, r3
    mov     r4, r4, lsr #16
    mla     r5, r9, r6, r11
    mov     r5, r5, lsr #16
    ldr     r7, [sp, #60]
    stmia   r7!, {r4, r5, r10}
    str     r7, [sp, #60]

.Lp3_next:
    add     r0, r0, #32
    ldr     r1, [sp, #64]
    cmp     r0, r1
    blo     .Lp3_particle
.Lp3_done:
    ldr     r0, [sp, #60]
    add     sp, sp, #84
    pop     {r4-r11, lr}
    bx      lr

.Lp3_any_w:
    p3_rows p3_row
    b       .Lp3_divisor

.Lp3_off_screen:
    mov     r2, #0
    strb    r2, [r0, #28]
    b       .Lp3_next

.Lp3_below_one:                         @ w < 1.0
    cmp     r12, #0
    bgt     .Lp3_other
    str     r3, [r0, #16]               @ behind the camera or on its plane: not divided
    str     lr, [r0, #20]
    b       .Lp3_off_screen

.Lp3_other:                             @ no short way: the C++ projection
    mov     r4, r0
    mov     r1, sp
    bl      particles_Project3DOther
    mov     r0, r4
    b       .Lp3_next
    .size   particles_Project3DLoop, .-particles_Project3DLoop
    .popsection
)");

namespace particles {

ScreenStamp* Project3DParticlesArm(Particle3DData* data, unsigned count, const ClipRows& rows, ScreenStamp* stamps) {
  const RunFrame frame{rows, fixedpoint::bits_detail::kByteZeros.data(),
                       reinterpret_cast<uintptr_t>(fixedpoint::divide_detail::kSeedLines.data()) - 512 * 8,
                       kFadeMultiplier, stamps, data + count,
                       {kStampHalfSpanX, (kStampHalfSpanX + 1) << 16, kStampHalfSpanY, (kStampHalfSpanY + 1) << 16}};
  return particles_Project3DLoop(data, &frame);
}

}  // namespace particles

#endif  // PARTICLES_ARM_PROJECTION
