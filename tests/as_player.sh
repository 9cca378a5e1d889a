#!/bin/sh
# Runs a test program as an ordinary player: root may write to any file, so the tests of files
# a player may not write to mean nothing as root. Run as root, the program is copied to a
# folder of the player's own and run there as the user velloran-test (make test makes it);
# run as anyone else, it simply runs. Some of its tests must run: a filter that picks none
# fails.
#   as_player.sh PROGRAM [ARGUMENT...]
set -eu
program=$1
shift
user=velloran-test

if [ "$(id -u)" -ne 0 ]; then
  set -- "$program" "$@"
  run() { "$@"; }
else
  if ! id -u "$user" >/dev/null 2>&1; then
    echo "no user $user to run these as: make test makes it, or, as root:"
    echo "  useradd --system --no-create-home --shell /usr/sbin/nologin $user"
    exit 77 # skipped
  fi
  folder=$(mktemp -d "${TMPDIR:-/tmp}/velloran-player-XXXXXX")
  trap 'rm -rf "$folder"' EXIT
  cp "$program" "$folder/"
  chown -R "$user:" "$folder"
  chmod 0755 "$folder"
  cd "$folder"
  export HOME="$folder" TMPDIR="$folder"
  set -- "$folder/$(basename "$program")" "$@"
  run() {
    setpriv --reuid="$(id -u "$user")" --regid="$(id -g "$user")" --clear-groups \
      --inh-caps=-all "$@"
  }
fi

output=$(mktemp)
status=0
VELLORAN_TEST_AS_PLAYER=1 run "$@" >"$output" 2>&1 || status=$?
cat "$output"
if [ "$status" -eq 0 ] && ! grep -q '^\[  PASSED  \] [1-9]' "$output"; then
  echo "no test ran as a player"
  status=1
fi
rm -f "$output"
exit "$status"
