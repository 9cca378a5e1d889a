#!/usr/bin/env bash
# Installs the missing Debian packages of the lists named, tools/debian-packages-<list>.txt
# (run, build, test, assets): with apt-get when run as root, else it prints the line to run.
#   tools/install-deps.sh run build
set -euo pipefail
folder="$(cd "$(dirname "$0")" && pwd)"
[ $# -gt 0 ] || set -- run build test
wanted=()
for list in "$@"; do
  mapfile -t -O ${#wanted[@]} wanted < <(grep -v -E '^\s*(#|$)' "$folder/debian-packages-$list.txt")
done
missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    { [[ " ${missing[*]} " == *" $package "* ]] || missing+=("$package"); }
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "Velloran needs these Debian packages. Install them as root (su -, or sudo where it" >&2
  echo "is set up; a minimal Debian has no sudo), then run make again:" >&2
  echo "  apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
  exit 1
fi
