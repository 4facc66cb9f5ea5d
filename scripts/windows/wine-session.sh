# shellcheck shell=bash
# Shared by scripts/windows-test.sh and scripts/screenshot-window.sh (sourced,
# not run): installs what the Windows build and its checks need, cross-builds,
# and runs a private Wine session on a private X display.
#
# After sb_avvia_sessione:
#   SB_TMP       a fresh temporary folder, removed by sb_chiudi_sessione
#   DISPLAY      the Xvfb display
#   WINEPREFIX   a fresh Wine prefix inside SB_TMP
#   SB_WINE      the 64-bit Wine loader
#   SB_WINESERVER

SB_ROOT=${SB_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
SB_XVFB_PID=

sb_log() { echo "[windows] $*"; }

# The Debian packages behind the tools. Each entry: command-or-file package.
sb_installa_pacchetti() {
  local mancanti=()
  local voce cosa pacchetto
  for voce in \
    "x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64" \
    "x86_64-w64-mingw32-windres binutils-mingw-w64-x86-64" \
    "/usr/lib/wine/wine64 wine64" \
    "wine wine" \
    "/usr/share/wine/fonts/tahoma.ttf fonts-wine" \
    "Xvfb xvfb" \
    "xdotool xdotool" \
    "xwininfo x11-utils" \
    "import imagemagick" \
    "identify imagemagick" \
    "cmake cmake"; do
    cosa=${voce% *}
    pacchetto=${voce#* }
    if [[ $cosa == /* ]]; then
      [[ -e $cosa ]] && continue
    else
      command -v "$cosa" > /dev/null 2>&1 && continue
    fi
    [[ " ${mancanti[*]} " == *" $pacchetto "* ]] || mancanti+=("$pacchetto")
  done
  if ((${#mancanti[@]} == 0)); then
    return 0
  fi
  if [[ $(id -u) != 0 ]]; then
    sb_log "missing packages: ${mancanti[*]} (run as root, or install them)"
    return 1
  fi
  sb_log "installing: ${mancanti[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${mancanti[@]}" > /dev/null
}

# Cross-builds R47093.exe and scenario-tool.exe with the `windows` preset, and
# the two check programs beside them (out/windows/check/).
sb_compila_windows() {
  (cd "$SB_ROOT" && cmake --preset windows -DSB_WERROR="${SB_WERROR:-OFF}" > /dev/null &&
    cmake --build --preset windows) || return 1
  local cxx=x86_64-w64-mingw32-g++-posix
  local flags=(-std=c++20 -O2 -Wall -Wextra -Wpedantic -Werror -ffp-contract=off -fno-fast-math
    "-I$SB_ROOT/src" -static -static-libgcc -static-libstdc++)
  local dir="$SB_ROOT/out/windows/check"
  mkdir -p "$dir"
  "$cxx" "${flags[@]}" "$SB_ROOT/scripts/windows/platform-check.cpp" "$SB_ROOT/src/platform/win32.cpp" \
    "$SB_ROOT/src/platform/paths.cpp" -luser32 -lgdi32 -o "$dir/platform-check.exe" || return 1
  "$cxx" "${flags[@]}" "$SB_ROOT/scripts/windows/window-probe.cpp" -luser32 -lgdi32 \
    -o "$dir/window-probe.exe" || return 1
}

sb_avvia_sessione() {
  SB_TMP=$(mktemp -d "${TMPDIR:-/tmp}/sb-windows.XXXXXX")
  # Wine turns Unix file names into Windows ones through the locale's
  # character set: UTF-8, so that folders named with "è" come out right.
  export LC_ALL=C.UTF-8
  export WINEDEBUG=-all
  export WINEARCH=win64
  export WINEPREFIX="$SB_TMP/prefix"
  # No downloads of add-ons, no dialogs asking for them.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  SB_WINE=/usr/lib/wine/wine64
  [[ -x $SB_WINE ]] || SB_WINE=$(command -v wine64 || command -v wine)
  SB_WINESERVER=/usr/lib/wine/wineserver
  [[ -x $SB_WINESERVER ]] || SB_WINESERVER=$(command -v wineserver)

  # A private X display; Xvfb picks a free number and writes it to fd 3.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$SB_TMP/display" > "$SB_TMP/xvfb.log" 2>&1 &
  SB_XVFB_PID=$!
  local i
  for ((i = 0; i < 100; i++)); do
    [[ -s $SB_TMP/display ]] && break
    sleep 0.1
  done
  if [[ ! -s $SB_TMP/display ]]; then
    sb_log "Xvfb did not start:"
    cat "$SB_TMP/xvfb.log"
    return 1
  fi
  DISPLAY=":$(head -n1 "$SB_TMP/display")"
  export DISPLAY

  mkdir -p "$WINEPREFIX"
  "$SB_WINE" wineboot --init > "$SB_TMP/wineboot.log" 2>&1 || {
    sb_log "wineboot failed:"
    cat "$SB_TMP/wineboot.log"
    return 1
  }
  "$SB_WINESERVER" -w

  # Fonts: Debian's Wine does not find the fonts of its own fonts-wine package
  # unless they are in the prefix. Wine has no bold "MS Sans Serif" at 24
  # points, so the prefix maps that name to Tahoma, Wine's nearest match to
  # the Windows font that stands in for it. Windows draw their own frames
  # (there is no window manager on the display), so captions show in
  # screenshots.
  cp /usr/share/wine/fonts/tahoma*.ttf /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  cat > "$SB_TMP/impostazioni.reg" << 'EOF'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS Sans Serif"="Tahoma"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="N"
EOF
  "$SB_WINE" regedit /S "$(sb_percorso_windows "$SB_TMP/impostazioni.reg")" > /dev/null 2>&1
  "$SB_WINESERVER" -w
}

# Takes screenshots of the whole display into FILE until the rectangle
# W H X Y (the label's, on screen) holds dark text on a light ground, for at
# most about 3 seconds: Wine hands a painted window to the X server a moment
# after the program has painted it. Prints the darkest and lightest values.
sb_schermata_dipinta() {
  local file=$1 w=$2 h=$3 x=$4 y=$5 i scuro chiaro
  for ((i = 0; i < 12; i++)); do
    import -window root "$file" 2> /dev/null
    scuro=$(identify -format '%[fx:minima]' "${file}[${w}x${h}+${x}+${y}]" 2> /dev/null)
    chiaro=$(identify -format '%[fx:maxima]' "${file}[${w}x${h}+${x}+${y}]" 2> /dev/null)
    if awk -v s="$scuro" -v c="$chiaro" 'BEGIN { exit !(s != "" && c != "" && s < 0.35 && c > 0.6) }'; then
      echo "$scuro $chiaro"
      return 0
    fi
    sleep 0.25
  done
  echo "${scuro:-none} ${chiaro:-none}"
  return 1
}

# The Windows form (Z:\...) of a Unix path.
sb_percorso_windows() {
  "$SB_WINE" winepath -w "$1" 2> /dev/null | tr -d '\r'
}

sb_chiudi_sessione() {
  if [[ -n ${WINEPREFIX:-} && -n ${SB_WINESERVER:-} ]]; then
    "$SB_WINESERVER" -k > /dev/null 2>&1 || true
  fi
  if [[ -n $SB_XVFB_PID ]]; then
    kill "$SB_XVFB_PID" 2> /dev/null || true
    wait "$SB_XVFB_PID" 2> /dev/null || true
    SB_XVFB_PID=
  fi
  if [[ -n ${SB_TMP:-} && -d $SB_TMP && -z ${SB_KEEP:-} ]]; then
    rm -rf "$SB_TMP"
  fi
}
