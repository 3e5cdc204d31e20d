#!/usr/bin/env bash
# check_armv4t.sh OBJECT_OR_DIR...: fails when an object file built for the console holds
# an instruction its ARM920T cannot execute (anything past ARMv4T, ARM state, no FPU).
# Directories are searched for the object files CMake builds (*/CMakeFiles/*.dir/*.o).
# CROSS_PREFIX (default arm-linux-gnueabi-) names the binutils to use.
set -euo pipefail
prefix=${CROSS_PREFIX:-arm-linux-gnueabi-}
[[ $# -gt 0 ]] || { echo "usage: check_armv4t.sh OBJECT_OR_DIR..." >&2; exit 64; }

objects=()
for arg in "$@"; do
  if [[ -d $arg ]]; then
    mapfile -t -O ${#objects[@]} objects < <(find "$arg" -path '*/CMakeFiles/*.dir/*' -name '*.o' | sort)
  else
    objects+=("$arg")
  fi
done
[[ ${#objects[@]} -gt 0 ]] || { echo "check_armv4t: no object files in $*" >&2; exit 1; }

# Mnemonics of ARMv5T and later, as the disassembler spells them: v5T (blx, clz, bkpt,
# coprocessor "2" forms), v5TE (ldrd, strd, pld, saturating and 16-bit multiplies), v5TEJ
# (bxj), v6/v6K (exclusives, byte reversal, extends, packing, SIMD, hints), v6T2/v7 (movw,
# bit fields, barriers, division), Thumb-2 only forms, and every VFP/NEON (v...) and
# iWMMXt (w..., tm..., tbc...) instruction.
newer='blx|clz|bkpt|cdp2|ldc2l?|stc2l?|mcr2|mrc2|mcrr2?|mrrc2?'
newer+='|ldrd|strd|pld|pldw|pli|qadd|qsub|qdadd|qdsub|bxj'
newer+='|smla(bb|bt|tb|tt|wb|wt|d|dx|ld|ldx|lbb|lbt|ltb|ltt|lsd|lsdx|sd|sdx)'
newer+='|smul(bb|bt|tb|tt|wb|wt)|smuadx?|smusdx?|smml[as]r?|smmulr?|umaal|usada?8'
newer+='|ldrex[bhd]?|strex[bhd]?|clrex|rev|rev16|revsh|rbit|setend|cps(ie|id)?|srs[a-z]*|rfe[a-z]*'
newer+='|[su]xt(a?b|a?h|a?b16)|pkh(bt|tb)|sel|[su]sat(16)?'
newer+='|([su]|q|sh|uq|uh)(add|sub)(8|16)|([su]|q|sh|uq|uh)(asx|sax|addsubx|subaddx)'
newer+='|yield|wfe|wfi|sev|dbg|movw|movt|bfc|bfi|[su]bfx|mls|dmb|dsb|isb|[su]div'
newer+='|it[te]*|cbn?z|tb[bh]|eret|hvc|smc|ldaex?[bhd]?|stlex?[bhd]?'
newer+='|v[a-z0-9.]+|w[a-z0-9]+|tm[a-z0-9]+|tbc[a-z]+|textr[a-z]+|tinsr[a-z]+|torc[a-z]+'
cond='(eq|ne|cs|hs|cc|lo|mi|pl|vs|vc|hi|ls|ge|lt|gt|le|al)?'
# Pre-unified syntax puts the condition inside: ldreqd, streqd.
pattern="^((${newer})${cond}|(ldr|str)${cond}d)(\\.[nw])?$"

failed=0
for obj in "${objects[@]}"; do
  # The build attributes say what the compiler was asked for: ARMv4T, no FP unit.
  attrs=$("${prefix}readelf" -A "$obj")
  if ! grep -q 'Tag_CPU_arch: v4T$' <<<"$attrs" || grep -q 'Tag_FP_arch' <<<"$attrs"; then
    echo "check_armv4t: $obj was not compiled for ARMv4T without FPU:" >&2
    grep -E 'Tag_CPU_arch|Tag_FP_arch' <<<"$attrs" | sed 's/^/  /' >&2
    failed=1
  fi
  # The code itself: every disassembled mnemonic (data marked by mapping symbols is shown
  # as .word and skipped), in case inline assembly or a stray flag slipped something in.
  bad=$("${prefix}objdump" -d --no-show-raw-insn "$obj" |
        awk -F'\t' -v pat="$pattern" '
          /^[0-9a-f]+ <.*>:$/ { fn = $0 }
          NF >= 2 && $1 ~ /^ *[0-9a-f]+:$/ {
            m = $2; sub(/ .*/, "", m)
            if (m ~ pat) print "  " fn " " $0
          }' | head -n 20)
  if [[ -n $bad ]]; then
    echo "check_armv4t: $obj holds instructions newer than ARMv4T:" >&2
    echo "$bad" >&2
    failed=1
  fi
done
if [[ $failed -ne 0 ]]; then exit 1; fi
echo "check_armv4t: ${#objects[@]} object files, ARMv4T instructions only"
