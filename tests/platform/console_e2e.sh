#!/usr/bin/env bash
# console_e2e.sh PARTICLES [EMULATOR...]: the real demo on a simulated console: in a private
# mount namespace, stand-ins for /sbin/insmod and /sbin/rmmod (making /dev/mmuhack), a sparse
# /dev/mem mappable at 0xC0000000 and /usr/gp2x/gp2xmenu record what the demo does with them,
# each going missing in turn. An emulator command (qemu-arm) runs another CPU's build. Exits
# 77 (skipped) where a private mount namespace is not permitted.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/e2e.sh"

if [[ "${1:-}" == "--inside" ]]; then
  # In the namespace: $2 case folder, $3 the missing piece (or "none"), then the command.
  dir=$2 missing=$3
  shift 3
  mkdir -p "$dir"/{upper/sbin,upper/gp2x,work,dev,run,rec}
  cat >"$dir/upper/sbin/insmod" <<SCRIPT
#!/bin/sh
echo "insmod \$*" >>"$dir/rec/commands"
[ -f "\$1" ] || exit 1
[ "$missing" = node ] || mknod /dev/mmuhack c 1 3
SCRIPT
  cat >"$dir/upper/sbin/rmmod" <<SCRIPT
#!/bin/sh
echo "rmmod \$*" >>"$dir/rec/commands"
rm -f /dev/mmuhack
SCRIPT
  if [[ "$missing" != menu ]]; then
    cat >"$dir/upper/gp2x/gp2xmenu" <<SCRIPT
#!/bin/sh
echo "argv0=\$0 args=\$# cwd=\$(pwd)" >"$dir/rec/menu"
SCRIPT
  fi
  chmod +x "$dir"/upper/sbin/* "$dir"/upper/gp2x/* 2>/dev/null
  mount -t overlay overlay -o "lowerdir=/usr,upperdir=$dir/upper,workdir=$dir/work" /usr || exit 3
  touch "$dir/dev/null"
  mount --bind /dev/null "$dir/dev/null"
  [[ "$missing" == mem ]] || truncate -s $((0xC0010000)) "$dir/dev/mem"
  mount --rbind "$dir/dev" /dev || exit 3
  [[ "$missing" == module ]] || echo "stand-in module" >"$dir/run/mmuhack.o"
  cd "$dir/run"
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 "$@" \
    >"$dir/rec/stdout" 2>"$dir/rec/stderr" &
  pid=$!
  first_rate ParticlesLog.txt "$pid"  # running once its first frame-rate line is logged
  grep -q ' /dev/mem$' "/proc/$pid/maps" 2>/dev/null && echo mapped >"$dir/rec/mapped"
  [[ -e /dev/mmuhack ]] && echo present >"$dir/rec/node"
  kill -TERM "$pid"  # SIGINT is ignored by background jobs of a script; SDL takes both
  wait "$pid"
  echo $? >"$dir/rec/status"
  exit 0
fi

command=("${@:2}" "$(readlink -f "$1")")
if ! unshare -m --propagation private true 2>/dev/null; then
  echo "SKIPPED: a private mount namespace (unshare -m) is not permitted here"
  exit 77
fi

# Each case: the piece missing, then whether the register block was mapped and the module's
# node there while the demo ran, and whether the menu started at the end.
has() { [[ -e $1 ]] && echo yes || echo no; }
while read -r name mapped node menu; do
  dir=$work/$name
  unshare -m --propagation private bash "$here/console_e2e.sh" --inside "$dir" "$name" "${command[@]}"
  rec=$dir/rec log=$dir/run/ParticlesLog.txt
  [[ "$(cat "$rec/status" 2>/dev/null)" == 0 && ! -s $rec/stderr ]] ||
    fail "exit status $(cat "$rec/status" 2>/dev/null): $(head -c 300 "$rec/stderr")"
  [[ "$(tr '\n' ';' <"$rec/commands" 2>/dev/null)" == "rmmod mmuhack;insmod mmuhack.o;rmmod mmuhack;" ]] ||
    fail "module commands were: $(tr '\n' ';' <"$rec/commands" 2>/dev/null)"
  [[ "$(has "$rec/mapped") $(has "$rec/node") $(has "$rec/menu")" == "$mapped $node $menu" ]] ||
    fail "mapped, node, menu: $(has "$rec/mapped") $(has "$rec/node") $(has "$rec/menu")"
  [[ $menu == no || "$(cat "$rec/menu")" == "argv0=/usr/gp2x/gp2xmenu args=0 cwd=/usr/gp2x" ]] ||
    fail "menu started as: $(cat "$rec/menu")"
  { echo "Quit !"; exit_lines; } | cmp -s - <(grep -x -B1 -A100 'Terminate !' "$log") ||
    fail "the log from Quit ! on differs"
done <<'CASES'
none yes yes yes
module yes no yes
node yes no yes
mem no yes yes
menu yes yes no
CASES
[[ $failures -eq 0 ]] || exit 1
echo "simulated console: all cases passed"
