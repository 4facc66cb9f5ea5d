#!/usr/bin/env bash
# Takes a PNG screenshot of the waiting window of R47093.exe, run under Wine on
# a private X display: docs/waiting-window.png, or the file named as the first
# argument. Cross-builds first (the `windows` preset) and installs the packages
# it needs when they are missing, as scripts/windows-test.sh does.
#
# The window is on screen only for the instant before the work; SB_ATTESA_MS
# (read only by the Windows build) holds it there while the picture is taken.
# There is no window manager on the display: Wine draws the frame and the
# caption itself, in the classic Windows style.
set -euo pipefail

SB_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/windows/wine-session.sh
source "$SB_ROOT/scripts/windows/wine-session.sh"

uscita=${1:-$SB_ROOT/docs/waiting-window.png}
mkdir -p "$(dirname "$uscita")"

sb_installa_pacchetti
sb_compila_windows > /dev/null
sb_avvia_sessione
trap 'sb_chiudi_sessione' EXIT

pkg="$SB_TMP/pacchetto"
mkdir -p "$pkg"
cp "$SB_ROOT/out/windows/R47093.exe" "$pkg/"
(cd "$pkg" && SB_ATTESA_MS=6000 "$SB_WINE" "$pkg/R47093.exe" > "$SB_TMP/R47093.log" 2>&1) &
run_pid=$!

"$SB_WINE" "$SB_ROOT/out/windows/check/window-probe.exe" form 30000 > "$SB_TMP/probe.log" 2>&1 || {
  cat "$SB_TMP/probe.log"
  sb_log "the waiting window did not appear as expected"
  exit 1
}
didascalia=$(sed -n 's/^caption //p' "$SB_TMP/probe.log" | tr -d '\r')
id=$(xdotool search --name "$didascalia" | head -n1)
if [[ -z $id ]]; then
  sb_log "no X window named \"$didascalia\""
  exit 1
fi
read -r lx ly lw lh < <(sed -n 's/^label_screen //p' "$SB_TMP/probe.log" | tr -d '\r')
sb_schermata_dipinta "$SB_TMP/schermo.png" "$lw" "$lh" "$lx" "$ly" > /dev/null || {
  sb_log "the label was not painted on screen"
  exit 1
}
# No time stamps in the file, so an unchanged window gives an unchanged file.
import -window "$id" -define png:exclude-chunks=date,time "$uscita"
wait "$run_pid" || true
sb_log "wrote $uscita ($(identify -format '%wx%h' "$uscita"), window \"$didascalia\")"
