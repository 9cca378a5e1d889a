#!/bin/sh
# Runs a test program on a private X server with two monitors side by side, the primary one on
# the right: the Xorg dummy driver's one output, moved right, and a monitor on the left beside
# it. Usage: two_monitors.sh PROGRAM [ARGUMENTS...]
set -eu
folder=$(mktemp -d)
cat >"$folder/xorg.conf" <<'CONF'
Section "Device"
  Identifier "card"
  Driver "dummy"
  VideoRam 64000
EndSection
Section "Monitor"
  Identifier "screen"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1280x1024" 109.00 1280 1368 1496 1712 1024 1027 1034 1063
EndSection
Section "Screen"
  Identifier "desk"
  Device "card"
  Monitor "screen"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2560 1024
    Modes "1280x1024"
  EndSubSection
EndSection
CONF
# The first free display number from 90 on.
display=90
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
  display=$((display + 1))
done
Xorg ":$display" -config "$folder/xorg.conf" -configdir "$folder" -noreset -nolisten tcp \
  -logfile "$folder/xorg.log" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$folder"' EXIT
export DISPLAY=":$display"
tries=0
until xrandr --listmonitors >/dev/null 2>&1; do
  tries=$((tries + 1))
  if [ $tries -gt 200 ]; then
    echo "the X server did not start" >&2
    cat "$folder/xorg.log" >&2
    exit 1
  fi
  sleep 0.05
done
# The output, primary, makes the right-hand monitor; the left one has none.
output=$(xrandr | awk '/ connected/ { print $1; exit }')
xrandr --output "$output" --primary
xrandr --fb 2560x1024
xrandr --setmonitor right 1280/338x1024/270+1280+0 "$output" >/dev/null
xrandr --setmonitor left 1280/338x1024/270+0+0 none >/dev/null
export VELLORAN_TEST_PRIMARY_MONITOR=1280,0,1280,1024
"$@"
