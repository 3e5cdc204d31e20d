#!/usr/bin/env bash
# deps.sh PACKAGE...: makes sure the named Debian packages are installed.
# As root it installs what is missing with apt-get; otherwise it names them and fails.
set -euo pipefail

missing=()
for pkg in "$@"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
  echo "missing Debian packages: ${missing[*]} (install them with: sudo apt-get install ${missing[*]})" >&2
  exit 1
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Another install running at the same time holds the package lock: wait for it.
wait=(-o DPkg::Lock::Timeout=600)
apt-get "${wait[@]}" update -qq >/dev/null || apt-get "${wait[@]}" update
apt-get "${wait[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || \
  apt-get "${wait[@]}" install -y --no-install-recommends "${missing[@]}"
