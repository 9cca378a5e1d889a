#!/usr/bin/env bash
# Installs the Debian packages of tools/debian-packages.txt that are missing: with
# apt-get when run as root, else it prints the line to run.
set -euo pipefail
list="$(dirname "$0")/debian-packages.txt"
mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$list")
missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "Velloran needs these Debian packages; install them with:" >&2
  echo "  sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
