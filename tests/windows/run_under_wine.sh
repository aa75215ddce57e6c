#!/usr/bin/env bash
# Runs the Windows build of the demo under Wine on an X server of its own and
# checks what a person would see: the window "Moonlit Harbor by torvin/brinecrew"
# at 640 x 480 with its icon, a frame with the black bars and the plasma, a close request
# (WM_DELETE_WINDOW) ending the program with status 0, and the program's
# messages on a machine without sound.
#
#   run_under_wine.sh RUN_DIR
#   run_under_wine.sh --check CHECK_EXE
#
# RUN_DIR is what `make windows` lays out (out/windows): moonlit-harbor.exe,
# its DLLs, data/ and spartanic.xm. With --check it runs instead the Windows
# build's checks of its platform file (win32-platform-check.exe). Exits 77
# (skipped) when the executable is not there. Installs wine and the X tools it uses when missing. The
# Wine prefix lives outside the source tree ($MOONLIT_WINE_PREFIX, else
# ~/.cache/moonlit-harbor/wine-prefix), is made once and reused; its crash
# dialog is off (a crash ends the run) and it has no audio driver.
# Every Wine step runs under a time limit. On failure the screenshot and the
# program's output are kept in $MOONLIT_WINE_ARTIFACTS (default: a temporary
# folder, named in the message).
set -euo pipefail

title="Moonlit Harbor by torvin/brinecrew"
close_window=$(cd "$(dirname "$0")/../../scripts" && pwd)/close-window
exe=moonlit-harbor.exe
check_exe=""
if [ "${1:-}" = --check ]; then
  check_exe=${2:?usage: run_under_wine.sh --check CHECK_EXE}
  [ -f "$check_exe" ] || { echo "no $check_exe: skipped (make windows builds it)"; exit 77; }
else
  run_dir=${1:?usage: run_under_wine.sh RUN_DIR}
  [ -f "$run_dir/$exe" ] || { echo "no $exe in $run_dir: skipped (make windows builds it)"; exit 77; }
  run_dir=$(cd "$run_dir" && pwd)
fi
# A folder name the 8-bit code page cannot spell: only the UTF-16 file
# calls find the program's own folder and files there.
odd_folder="港の灯 Hafen-Ü"

prefix=${MOONLIT_WINE_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/moonlit-harbor/wine-prefix}
work=$(mktemp -d "${TMPDIR:-/tmp}/moonlit-wine.XXXXXX")
artifacts=${MOONLIT_WINE_ARTIFACTS:-$work}

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installers at prefix creation; no ALSA or Pulse audio.
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv=d"
# A machine without sound: no OpenAL backend chosen from the environment.
unset ALSOFT_DRIVERS
# Unix file names are UTF-8 to Wine, whatever the caller's locale.
export LC_ALL=C.UTF-8

xvfb_pid="" wine_pid="" locked=0
fail() { echo "FAIL: $*" >&2; keep_artifacts; exit 1; }
note() { echo "wine-test: $*"; }

keep_artifacts() {
  [ "$artifacts" = "$work" ] || { mkdir -p "$artifacts"; cp -f "$work"/*.png "$work"/*.txt "$artifacts"/ 2>/dev/null || true; }
  echo "screenshot and output kept in $artifacts" >&2
  keep=1
}

cleanup() {
  [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null || true
  # Ends whatever is left in the prefix, which only this run uses while it
  # holds the lock.
  [ "$locked" = 1 ] && { timeout 30 wineserver -k >/dev/null 2>&1 || true; }
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ "${keep:-0}" = 1 ] && [ "$artifacts" = "$work" ] || rm -rf "$work"
}
trap cleanup EXIT

# The project's one package installer; it reports through log().
log() { note "$@"; }
. "$(dirname "$0")/../../scripts/debian-sources.sh"
install_missing() {
  install_packages wine wine64 xvfb xauth xdotool python3-xlib imagemagick x11-utils
}

# An X server of our own, on the first free display number.
start_x() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.txt" 2>&1 &
  xvfb_pid=$!
  local i
  for i in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.txt")"
    sleep 0.1
  done
  [ -s "$work/display" ] || fail "Xvfb gave no display number"
  export DISPLAY=":$(head -n1 "$work/display")"
}

# Makes the prefix once; a half-made one (no stamp) is made again.
prepare_prefix() {
  [ -f "$prefix/.moonlit-ready" ] && return 0
  note "creating the Wine prefix $prefix"
  rm -rf "$prefix"; mkdir -p "$(dirname "$prefix")"
  timeout 600 wineboot --init >"$work/wineboot.txt" 2>&1 || fail "wineboot: $(tail -5 "$work/wineboot.txt")"
  timeout 120 wineserver -w || fail "wineserver did not settle after wineboot"
  timeout 120 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null \
    || fail "could not turn the crash dialog off"
  timeout 120 wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d '' /f >/dev/null \
    || fail "could not turn the audio drivers off"
  timeout 120 wineserver -w || fail "wineserver did not settle after the registry changes"
  touch "$prefix/.moonlit-ready"
}

find_window() {
  local i wid
  for i in $(seq 240); do
    wid=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n1 || true)
    [ -n "$wid" ] && { echo "$wid"; return 0; }
    kill -0 "$wine_pid" 2>/dev/null || return 1
    sleep 0.5
  done
  return 1
}

# The window's pixels, from the root window (the GL drawing is in Wine's
# child window, which the root capture includes).
screenshot() {
  local wid=$1 out=$2 X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  import -window root -crop "640x480+${X}+${Y}" +repage "$out"
}

# The bars (rows 0-31 and 448-479) are black, and most of the rest shows the
# plasma's band colours, at least two of them.
frame_looks_right() {
  local shot=$1 top bottom
  top=$(convert "$shot" -crop 640x32+0+0 +repage -format '%[max]' info:)
  bottom=$(convert "$shot" -crop 640x32+0+448 +repage -format '%[max]' info:)
  [ "$top" = 0 ] && [ "$bottom" = 0 ] || { echo "bars not black (max $top, $bottom)"; return 1; }
  convert "$shot" -crop 640x416+0+32 +repage -format %c histogram:info:- |
    awk 'BEGIN { split("64,128,98 32,64,48 16,32,24 8,16,10 128,255,196 112,223,148 96,195,128", b, " ")
                 for (i in b) band["(" b[i] ")"] = 1 }
         { n = $1 + 0; total += n; if ($2 in band) { inband += n; if (n >= 2662) kinds++ } }
         END { ok = inband >= 0.4 * total && kinds >= 2
               if (!ok) printf "plasma not seen: %d of %d pixels in band colours, %d colours\n", inband, total, kinds
               exit !ok }'
}

send_delete_window() {
  timeout 30 "$close_window" "$1"
}

# What the program prints on a machine without sound: OpenAL finds no
# device; libmikmod, finding neither DirectSound nor WinMM output, takes its
# no-sound driver and plays the module silently.
expected_stdout() {
  local song channels
  song=$(dd if="$run_dir/spartanic.xm" bs=1 skip=17 count=20 2>/dev/null | tr -d '\0' | sed 's/ *$//')
  channels=$(od -An -tu2 -j68 -N2 "$run_dir/spartanic.xm" | tr -d ' ')
  printf 'OpenAl error: alcOpenDevice failed\nPlaying %s (%s chn)\n' "$song" "$channels"
}

# The platform checks print their failures and "N passed, M failed"; the
# file they write by a UTF-16 name must be on disk under that name.
check_platform() {
  local dir="$work/$odd_folder" status=0
  mkdir -p "$dir"
  cp "$check_exe" "$dir/"
  (cd "$dir" && exec timeout -k 10 120 wine "./$(basename "$check_exe")") >"$work/check.txt" 2>&1 || status=$?
  tr -d '\r' <"$work/check.txt"
  [ "$status" = 0 ] || fail "platform checks ended with status $status (124: time limit)"
  [ -f "$dir/Ü港.txt" ] || fail "the file written by its UTF-16 name is not on disk as Ü港.txt"
}

main() {
  install_missing
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  # One run at a time per prefix; a run waits for another to finish.
  flock -w 900 9 || fail "the Wine prefix stayed locked by another run"
  locked=1
  start_x
  prepare_prefix
  [ -n "$check_exe" ] && { check_platform; return; }

  run_dir_copy="$work/$odd_folder"
  mkdir -p "$run_dir_copy"
  cp -r "$run_dir/." "$run_dir_copy/"
  run_dir=$run_dir_copy

  note "starting $exe in $run_dir"
  (cd "$run_dir" && exec timeout -k 10 300 wine "./$exe" >"$work/stdout.txt" 2>"$work/stderr.txt") &
  wine_pid=$!

  local wid
  wid=$(find_window) || fail "no window titled \"$title\" (stdout: $(cat "$work/stdout.txt"); stderr: $(cat "$work/stderr.txt"))"
  local WIDTH HEIGHT X Y SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  [ "$WIDTH" = 640 ] && [ "$HEIGHT" = 480 ] || fail "window is ${WIDTH}x${HEIGHT}, not 640x480"
  note "window $wid at $X,$Y, ${WIDTH}x${HEIGHT}"

  # The first frames may still be on their way: look again for a while.
  local i why=""
  for i in $(seq 30); do
    sleep 1
    screenshot "$wid" "$work/frame.png"
    why=$(frame_looks_right "$work/frame.png") && break
  done
  [ -z "$why" ] || fail "$why"
  note "bars and plasma on screen"
  # The program's window icon (64 x 64, from data/icons) reaches the X window;
  # Wine passes it on in its own time, later on a busy machine.
  local icon=""
  for i in $(seq 40); do
    xprop -id "$wid" _NET_WM_ICON | grep -q 'Icon (64 x 64)' && { icon=yes; break; }
    sleep 0.25
  done
  [ -n "$icon" ] || fail "the window does not show its icon"
  note "the window has its icon"

  send_delete_window "$wid" || fail "could not send WM_DELETE_WINDOW"
  local status=0
  for i in $(seq 60); do kill -0 "$wine_pid" 2>/dev/null || break; sleep 0.5; done
  kill -0 "$wine_pid" 2>/dev/null && fail "still running 30 s after the close request"
  wait "$wine_pid" || status=$?
  wine_pid=""
  [ "$status" = 0 ] || fail "exit status $status after the close request (124: time limit)"
  note "closed with status 0"

  expected_stdout >"$work/expected.txt"
  # Wine writes the program's line ends as they are; compare without CRs.
  tr -d '\r' <"$work/stdout.txt" >"$work/stdout-lf.txt"
  diff -u "$work/expected.txt" "$work/stdout-lf.txt" >&2 || fail "standard output differs"
  [ ! -s "$work/stderr.txt" ] || fail "unexpected standard error: $(cat "$work/stderr.txt")"
  note "output as expected"
}

main
