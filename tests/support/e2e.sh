# e2e.sh: sourced by the end-to-end tests: a scratch folder ($work, removed at exit), the log
# lines a run writes around its frames (written out by hand from the demo's start-up, release
# order and block reports), a wait for the first frame rate, and the failure count.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

startup_lines() {
  printf '%s\n' "Particle Pool Initialization..." "Particle Pool Initialized!" \
    "Particle3D Pool Initialization..." "Particle3D Pool Initialized!"
}

# pool_report LABEL HEAD:SIZE...: one pool's block report (every block free) and its end.
pool_report() {
  local label=$1 block
  shift
  printf '%s\n' "< Particles System LOG START >" "< Particles Allocation LOG >"
  for block in "$@"; do echo "Bloc : ${block%:*}, Size : ${block#*:}, Used : 0"; done
  printf '%s\n' "< Particles System LOG END >" "$label Pool Destruction..." "$label Pool Destroyed!"
}

# From "Terminate !" on, after the scenes' twelve releases per pool: the 2D pool's ten
# fountains of 100, the fire (1000), the comet (500) merged with the 500 free slots after
# it; the 3D pool's ten fountains of 150, the fire (1000) and the comet (500) ending it.
exit_lines() {
  echo "Terminate !"
  pool_report Particle 0:100 100:100 200:100 300:100 400:100 500:100 600:100 700:100 800:100 \
    900:100 1000:1000 2000:1000
  pool_report Particle3D 0:150 150:150 300:150 450:150 600:150 750:150 900:150 1050:150 \
    1200:150 1350:150 1500:1000 2500:500
}

shutdown_lines() { printf '%s\n' "Quitting..." "Quit !"; exit_lines; }

# first_rate LOG PID: waits for the first frame-rate line in LOG, up to a minute (a busy machine
# or an emulator starts the demo slowly); fails if PID ends first or the minute passes.
first_rate() {
  local tries=0
  until grep -q '^PARTICLE : ' "$1" 2>/dev/null; do
    kill -0 "$2" 2>/dev/null && ((++tries <= 600)) || return 1
    sleep 0.1
  done
}

# Test bookkeeping: fail WHAT... counts a failure and says which case it was.
failures=0
fail() { echo "FAIL [${name:-}]: $*"; failures=$((failures + 1)); }
