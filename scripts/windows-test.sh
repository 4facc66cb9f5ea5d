#!/usr/bin/env bash
# Builds the Windows executables (cross, with the `windows` preset) and checks
# them under Wine on a private X display:
#
#  - the platform layer's file operations on a folder named with "è"
#    (scripts/windows/platform-check.cpp);
#  - R47093.exe, double-clicked in a folder named with "è": its waiting window
#    Form1 with the label "Attendere" (size, place, text, painted before the
#    work starts), exit status 0, the two scenario texts gone, the three
#    documents and the three outputs byte-identical to the Linux build's; then
#    a second run in the same folder, which replaces them;
#  - scenario-tool.exe build --out DIR, byte-identical to the Linux tool;
#  - the message box: its text, one OK button, modal, waited for.
#
# Installs the packages it needs when they are missing (as root, apt-get).
# SB_KEEP=1 keeps the temporary folder (Wine prefix, screenshots, outputs).
#
# The waiting window is on screen only for the instant before the work; the
# checks set SB_ATTESA_MS (read only by the Windows build) to hold it there a
# few seconds after it is painted.
set -uo pipefail

SB_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/windows/wine-session.sh
source "$SB_ROOT/scripts/windows/wine-session.sh"

superati=0
falliti=0
elenco_falliti=()

verifica() {
  local descrizione=$1
  shift
  if "$@"; then
    superati=$((superati + 1))
    echo "  ok   $descrizione"
  else
    falliti=$((falliti + 1))
    elenco_falliti+=("$descrizione")
    echo "  FAIL $descrizione"
  fi
}

fine() {
  sb_chiudi_sessione
  echo
  if ((falliti > 0)); then
    echo "windows-test: failed checks:"
    printf '  - %s\n' "${elenco_falliti[@]}"
  fi
  echo "windows-test: $superati passed, $falliti failed"
  ((falliti == 0))
  exit $?
}

interrompi() {
  echo "windows-test: $*" >&2
  falliti=$((falliti + 1))
  elenco_falliti+=("$*")
  fine
}

SCENARIO="LORVENA-CASTIRO "
TESTI=("${SCENARIO}_linea.txt" "${SCENARIO}_R47093-.txt")
DOCUMENTI=("${SCENARIO}_R47093_note.txt" "${SCENARIO}_R47093_rallentamenti.txt" "${SCENARIO}_R47093_scheda_treno.txt")
USCITE=("${SCENARIO}_linea.dat" "${SCENARIO}_R47093.sim" "${SCENARIO}_R47093.dat")

# ---------------------------------------------------------------------------
sb_log "packages"
sb_installa_pacchetti || interrompi "could not install the packages needed"

sb_log "Linux build (the reference)"
# The default preset's build when there is one; otherwise a build of the two
# programs alone (no unit tests, so no test framework needed).
if [[ -f $SB_ROOT/out/default/CMakeCache.txt ]]; then
  LIN_BUILD="$SB_ROOT/out/default"
  (cd "$SB_ROOT" && cmake --build --preset default --target R47093 scenario-tool > /dev/null) ||
    interrompi "the Linux build failed"
else
  LIN_BUILD="$SB_ROOT/out/windows-reference"
  (cmake -S "$SB_ROOT" -B "$LIN_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSB_TESTS=OFF > /dev/null &&
    cmake --build "$LIN_BUILD" --target R47093 scenario-tool -j2 > /dev/null) ||
    interrompi "the Linux build failed"
fi

sb_log "Windows cross-build"
sb_compila_windows || interrompi "the Windows cross-build failed"
EXE="$SB_ROOT/out/windows/R47093.exe"
TOOL="$SB_ROOT/out/windows/scenario-tool.exe"
CHECK="$SB_ROOT/out/windows/check"

verifica "R47093.exe is a windows-subsystem program" \
  bash -c "x86_64-w64-mingw32-objdump -p '$EXE' | grep -q 'Subsystem.*(Windows GUI)'"
verifica "scenario-tool.exe is a console program" \
  bash -c "x86_64-w64-mingw32-objdump -p '$TOOL' | grep -q 'Subsystem.*(Windows CUI)'"
for f in "$EXE" "$TOOL"; do
  verifica "$(basename "$f") needs only system DLLs (static build)" \
    bash -c "! x86_64-w64-mingw32-objdump -p '$f' | grep 'DLL Name' | grep -v -i -E 'KERNEL32|USER32|GDI32|msvcrt|ADVAPI32|SHELL32|api-ms-win' | grep -q ."
done

sb_log "Wine session"
sb_avvia_sessione || interrompi "could not start Xvfb and Wine"
trap 'sb_chiudi_sessione' EXIT
sb_log "display $DISPLAY, prefix $WINEPREFIX"

# ---------------------------------------------------------------------------
sb_log "platform layer: file operations in a folder named with è"
PC_DIR="$SB_TMP/verifica piattaforma è"
mkdir -p "$PC_DIR"
cp "$CHECK/platform-check.exe" "$PC_DIR/"
SB_CARTELLA_ATTESA=$(sb_percorso_windows "$PC_DIR") \
  "$SB_WINE" "$PC_DIR/platform-check.exe" files > "$SB_TMP/platform-check.log" 2>&1
rc=$?
sed 's/^/    /' "$SB_TMP/platform-check.log"
verifica "platform-check: all file checks pass" test "$rc" -eq 0

# ---------------------------------------------------------------------------
sb_log "Linux reference outputs"
LIN="$SB_TMP/linux"
mkdir -p "$LIN/R47093" "$LIN/tool"
cp "$LIN_BUILD/R47093" "$LIN/R47093/"
(cd / && "$LIN/R47093/R47093" > "$SB_TMP/linux-R47093.log" 2>&1)
rc_linux=$?
"$LIN_BUILD/scenario-tool" build --out "$LIN/tool" > "$SB_TMP/linux-tool.log" 2>&1
rc_linux_tool=$?
verifica "the Linux R47093 exits 0 (reference)" test "$rc_linux" -eq 0
verifica "the Linux scenario-tool build exits 0 (reference)" test "$rc_linux_tool" -eq 0

# ---------------------------------------------------------------------------
sb_log "R47093.exe double-clicked in a folder named with è"
PKG="$SB_TMP/pacchetto è"
mkdir -p "$PKG"
cp "$EXE" "$PKG/"
# Started from another folder: the package goes beside the executable.
(cd "$SB_TMP" && SB_ATTESA_MS=8000 "$SB_WINE" "$PKG/R47093.exe" > "$SB_TMP/R47093.log" 2>&1; echo $? > "$SB_TMP/R47093.rc") &
run_pid=$!

"$SB_WINE" "$CHECK/window-probe.exe" form 30000 > "$SB_TMP/probe.log" 2>&1
rc_probe=$?
# Right after the probe found the window: nothing written yet.
file_durante=$(find "$PKG" -maxdepth 1 -name "LORVENA*" | wc -l)
grep -v -E '^(caption|label_screen|client_screen) ' "$SB_TMP/probe.log" | sed 's/^/    /'
verifica "the waiting window, its label and their sizes (seen from Windows)" test "$rc_probe" -eq 0
verifica "the window is painted before the work starts (no file yet)" test "$file_durante" -eq 0

didascalia=$(sed -n 's/^caption //p' "$SB_TMP/probe.log" | tr -d '\r')
verifica "the X display shows a window named \"$didascalia\"" \
  bash -c "[[ -n '$didascalia' ]] && xwininfo -root -tree | grep -F -q '\"$didascalia\"'"
verifica "xdotool finds it by name" bash -c "xdotool search --name 'R47093' | grep -q ."

read -r lx ly lw lh < <(sed -n 's/^label_screen //p' "$SB_TMP/probe.log" | tr -d '\r')
read -r cx cy cw _ < <(sed -n 's/^client_screen //p' "$SB_TMP/probe.log" | tr -d '\r')
if [[ -n ${lx:-} && -n ${cx:-} ]]; then
  # The label's rectangle holds dark text on the light background (while the
  # program is held before its work, processing no events); the strip of
  # client area above the label is plain light background.
  pixel=$(sb_schermata_dipinta "$SB_TMP/finestra.png" "$lw" "$lh" "$lx" "$ly")
  rc_pixel=$?
  [[ -e $SB_TMP/R47093.rc ]] && in_corso=no || in_corso=yes
  fascia=$((ly - cy))
  media=$(identify -format '%[fx:mean]' "$SB_TMP/finestra.png[${cw}x${fascia}+${cx}+${cy}]" 2> /dev/null)
  uniforme=$(identify -format '%[fx:standard_deviation]' "$SB_TMP/finestra.png[${cw}x${fascia}+${cx}+${cy}]" 2> /dev/null)
  echo "    label pixels (darkest, lightest): $pixel; strip above: mean $media, deviation $uniforme"
  verifica "the label is painted on screen (dark text on a light ground)" test "$rc_pixel" -eq 0
  verifica "... while the program is running" test "$in_corso" = yes
  verifica "the client area around the label is plain and light" \
    awk -v m="$media" -v u="$uniforme" 'BEGIN { exit !(m != "" && u != "" && m > 0.6 && u < 0.001) }'
else
  verifica "the label is painted on screen (its place is known)" false
fi

wait "$run_pid"
rc_win=$(cat "$SB_TMP/R47093.rc" 2> /dev/null || echo missing)
verifica "R47093.exe exits 0" test "$rc_win" = 0
verifica "its window is gone at the end" bash -c "! xwininfo -root -tree | grep -F -q '\"$didascalia\"'"

confronta_pacchetto() {
  local dir=$1 etichetta=$2 f
  for f in "${TESTI[@]}"; do
    verifica "$etichetta: the scenario text \"$f\" is gone" test ! -e "$dir/$f"
  done
  for f in "${DOCUMENTI[@]}" "${USCITE[@]}"; do
    verifica "$etichetta: \"$f\" is byte-identical to the Linux build's" \
      cmp -s "$dir/$f" "$LIN/R47093/$f"
  done
  verifica "$etichetta: nothing else is left in the folder" \
    bash -c "[[ \$(find '$dir' -mindepth 1 | wc -l) -eq $((${#DOCUMENTI[@]} + ${#USCITE[@]} + 1)) ]]"
}
confronta_pacchetto "$PKG" "first run"

sb_log "R47093.exe again in the same folder (replaces the package)"
for f in "${DOCUMENTI[@]}" "${USCITE[@]}"; do
  # Longer than before: a replacement must not leave old bytes behind.
  [[ -e "$PKG/$f" ]] && head -c 300000 /dev/zero | tr '\0' 'x' > "$PKG/$f"
done
(cd "$SB_TMP" && "$SB_WINE" "$PKG/R47093.exe" > "$SB_TMP/R47093-2.log" 2>&1)
rc_win2=$?
verifica "second run: exits 0" test "$rc_win2" -eq 0
confronta_pacchetto "$PKG" "second run"

# ---------------------------------------------------------------------------
sb_log "R47093.exe on a 144-dpi screen (the window scales itself)"
"$SB_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f > /dev/null 2>&1
"$SB_WINESERVER" -w
DPI_DIR="$SB_TMP/dpi alto è"
mkdir -p "$DPI_DIR"
cp "$EXE" "$DPI_DIR/"
(cd "$SB_TMP" && SB_ATTESA_MS=6000 "$SB_WINE" "$DPI_DIR/R47093.exe" > /dev/null 2>&1; echo $? > "$SB_TMP/dpi.rc") &
dpi_pid=$!
"$SB_WINE" "$CHECK/window-probe.exe" form 30000 > "$SB_TMP/probe-dpi.log" 2>&1
rc_probe_dpi=$?
wait "$dpi_pid"
grep -E 'client area|label is at' "$SB_TMP/probe-dpi.log" | sed 's/^/    /'
verifica "at 144 dpi: client area 420 x 269, label at 96,96, 266 x 80" \
  bash -c "[[ $rc_probe_dpi -eq 0 ]] && grep -q '420 x 269 at 144 dpi' '$SB_TMP/probe-dpi.log' && grep -q ': 96 96 266 80' '$SB_TMP/probe-dpi.log'"
verifica "at 144 dpi: exits 0, same package" \
  bash -c "[[ \$(cat '$SB_TMP/dpi.rc') == 0 ]] && for f in \"\$@\"; do cmp -s '$DPI_DIR/'\"\$f\" '$LIN/R47093/'\"\$f\" || exit 1; done" _ \
  "${DOCUMENTI[@]}" "${USCITE[@]}"
"$SB_WINE" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f > /dev/null 2>&1
"$SB_WINESERVER" -w

# ---------------------------------------------------------------------------
sb_log "scenario-tool.exe build --out DIR"
TOOL_OUT="$SB_TMP/uscita strumento è"
mkdir -p "$TOOL_OUT"
(cd "$SB_TMP" && "$SB_WINE" "$TOOL" build --out "$(sb_percorso_windows "$TOOL_OUT")" > "$SB_TMP/tool.log" 2>&1)
rc_tool=$?
verifica "scenario-tool.exe build exits 0" test "$rc_tool" -eq 0
if [[ $rc_tool -ne 0 ]]; then sed 's/^/    /' "$SB_TMP/tool.log" | head -20; fi
verifica "scenario-tool.exe writes the same files as the Linux tool" \
  bash -c "diff <(cd '$LIN/tool' && find . -type f | sort) <(cd '$TOOL_OUT' && find . -type f | sort)"
while IFS= read -r -d '' f; do
  rel=${f#"$LIN/tool/"}
  verifica "scenario-tool.exe: \"$rel\" is byte-identical" cmp -s "$f" "$TOOL_OUT/$rel"
done < <(find "$LIN/tool" -type f -print0 | sort -z)

# ---------------------------------------------------------------------------
sb_log "the message box"
MSG_DIR="$SB_TMP/messaggio"
mkdir -p "$MSG_DIR"
("$SB_WINE" "$CHECK/platform-check.exe" message > "$MSG_DIR/log" 2>&1; echo $? > "$MSG_DIR/rc") &
msg_pid=$!
"$SB_WINE" "$CHECK/window-probe.exe" message 30000 "R47093 prova" > "$MSG_DIR/probe.log" 2>&1
rc_msg_probe=$?
sed 's/^/    /' "$MSG_DIR/probe.log"
wait "$msg_pid"
verifica "the message box: text, one OK button, modal, waited for" test "$rc_msg_probe" -eq 0
verifica "the program goes on once OK is pressed" \
  bash -c "[[ \$(cat '$MSG_DIR/rc') == 0 ]] && grep -q 'message closed' '$MSG_DIR/log'"

fine
