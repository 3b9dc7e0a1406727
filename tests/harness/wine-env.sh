# Sourced by the scripts and the test runner: one Wine prefix and one virtual
# X server per state folder, made on first use and kept up until torn down.
#
#   wine_env_up STATE_DIR [--real-display]   export the environment, start what is missing
#                                            (--real-display: keep an existing $DISPLAY)
#   wine_env_down STATE_DIR                  stop the Wine server and the X server

# The 64-bit loader, always. Debian's /usr/bin/wine (and every tool that goes
# through it: wineboot, winepath, regedit) picks the 32-bit loader whenever
# wine32 is installed, and on a kernel without 32-bit emulation that loader
# cannot even start; where it can, it would still not be the build's Wine.
readonly QUILLORA_WINE64=${QUILLORA_WINE64:-/usr/lib/wine/wine64}

# Commands of those names in the state folder that go to the 64-bit loader,
# first on PATH for these scripts and everything they start (the tests run
# "wine" on the host too).
_wine_env_shims() {
  local bin=$1/bin tool program
  mkdir -p "$bin"
  for tool in wine wineboot winepath regedit reg; do
    program=" $tool.exe"
    [ "$tool" = wine ] && program=
    printf '#!/bin/sh\nexec %s%s "$@"\n' "$QUILLORA_WINE64" "$program" > "$bin/$tool.new"
    chmod 755 "$bin/$tool.new" && mv -f "$bin/$tool.new" "$bin/$tool"
  done
}

_wine_env_exports() {
  local state=$1
  export WINEPREFIX="$state/prefix"
  export WINEARCH=win64
  export WINELOADER="$QUILLORA_WINE64"
  export WINEDEBUG=-all
  case ":$PATH:" in
    *":$state/bin:"*) ;;
    *) export PATH="$state/bin:$PATH" ;;
  esac
}

# Code page 932 needs LC_ALL; LANG alone leaves Wine on 1252 when the glibc
# locale is not generated. Given to Wine alone, so that bash does not warn
# about a locale it cannot load. QUILLORA_LOCALE runs the same under another
# Windows code page: en_US.UTF-8 gives 1252, zh_CN.UTF-8 936.
wine_ja() {
  env LC_ALL="${QUILLORA_LOCALE:-ja_JP.UTF-8}" wine "$@"
}

# Settings of the prefix, written once when it is made:
# - dialogs ask for "ＭＳ Ｐゴシック"; IPA's proportional Gothic stands in for
#   it, so the windows look as on Japanese Windows;
# - a virtual desktop with its own taskbar and tray: windows get their captions
#   without a window manager, the tray icon can be seen in screenshots, and
#   the X server never keeps Wine waiting for a window manager that is not there.
_wine_env_prefix_settings() {
  local reg="$WINEPREFIX/quillora.reg"
  printf '%s\r\n' \
    $'\xef\xbb\xbfWindows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
    '"ＭＳ Ｐゴシック"="IPAPGothic"' \
    '"ＭＳ ゴシック"="IPAGothic"' \
    '"MS UI Gothic"="IPAPGothic"' \
    '"MS Shell Dlg"="IPAPGothic"' \
    '"Tahoma"="IPAPGothic"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Explorer]' \
    '"Desktop"="Default"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' \
    '"Default"="1024x768"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' \
    '"ShowCrashDialog"=dword:00000000' \
    | iconv -f UTF-8 -t UTF-16LE > "$reg"
  wine_ja regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1 9>&- </dev/null || true
}

_wine_env_xvfb_running() {
  [ -f "$1/xvfb.pid" ] && kill -0 "$(cat "$1/xvfb.pid")" 2>/dev/null
}

# The display number: the first from 20 up with neither a lock file nor a
# socket in /tmp. From 20, away from the displays of desktops and of other
# X servers; by socket as well, because an X server in another namespace may
# have no lock file here. Its socket in /tmp/.X11-unix is what a screenshot
# or a click from outside the tests' network reaches.
_wine_env_start_xvfb() {
  local state=$1 display pid tries
  rm -f "$state/display"
  for ((display = 20; display < 100; display++)); do
    [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ] && continue
    # A session of its own: Ctrl+C in the terminal must not end the X server
    # under the programs (Wine would report "X connection to :N broken");
    # wine_env_down ends it after them. -displayfd says when it is ready.
    setsid Xvfb ":$display" -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
      3>"$state/display" >/dev/null 2>&1 9>&- </dev/null &
    pid=$!
    tries=0
    until [ -s "$state/display" ]; do
      tries=$((tries + 1))
      # Gone: another server took the number first.
      kill -0 "$pid" 2>/dev/null && [ $tries -le 100 ] || break
      sleep 0.1
    done
    if [ -s "$state/display" ]; then
      echo "$pid" > "$state/xvfb.pid"
      return 0
    fi
    kill "$pid" 2>/dev/null
  done
  echo "wine-env: Xvfb did not start" >&2
  return 1
}

# Starts the Wine server and the prefix's services detached from the caller's
# output: whoever starts them first passes its descriptors on to them, and a
# test runner reading a pipe would then wait for them to end.
_wine_env_start_wine() {
  wineserver -p >/dev/null 2>&1 9>&- </dev/null
  env LC_ALL=ja_JP.UTF-8 wineboot >/dev/null 2>&1 9>&- </dev/null
  # The test runner keeps the desktop in use (see desktop_keeper.c).
  if [ -n "${QUILLORA_DESKTOP_KEEPER:-}" ]; then
    env LC_ALL=ja_JP.UTF-8 wine "$QUILLORA_DESKTOP_KEEPER" >/dev/null 2>&1 9>&- </dev/null &
  fi
}

wine_env_up() {
  local state=$1 real_display=${2:-}
  mkdir -p "$state"
  state=$(cd "$state" && pwd)
  _wine_env_exports "$state"
  (
    flock 9
    _wine_env_shims "$state"
    if [ ! -f "$WINEPREFIX/.quillora-ready-win64" ]; then
      # A prefix of the 32-bit layout, which wine64 cannot use, or one whose
      # making was cut short: made anew.
      rm -rf "$WINEPREFIX"
      echo "wine-env: creating the Wine prefix in $WINEPREFIX (once, about 20 s)" >&2
      _wine_env_xvfb_running "$state" || _wine_env_start_xvfb "$state" || exit 1
      export DISPLAY=":$(tr -d '\n' < "$state/display")"
      WINEDLLOVERRIDES="mscoree,mshtml=" env LC_ALL=ja_JP.UTF-8 wineboot -i >/dev/null 2>&1 9>&- </dev/null
      wineserver -w 9>&-
      _wine_env_prefix_settings
      # Wine's own fonts (Marlett draws the caption buttons) from fonts-wine.
      cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
      wineserver -w 9>&-
      touch "$WINEPREFIX/.quillora-ready-win64"
      _wine_env_start_wine
    fi
    if ! _wine_env_xvfb_running "$state"; then
      _wine_env_start_xvfb "$state" || exit 1
      export DISPLAY=":$(tr -d '\n' < "$state/display")"
      _wine_env_start_wine
    fi
  ) 9>"$state/lock" || return 1
  if [ "$real_display" = --real-display ] && [ -n "${DISPLAY:-}" ]; then
    return 0
  fi
  export DISPLAY=":$(tr -d '\n' < "$state/display")"
}

# The Wine server and its programs first, then the X server they draw on.
wine_env_down() {
  local state=$1 display tries=0
  [ -d "$state" ] || return 0
  state=$(cd "$state" && pwd)
  _wine_env_exports "$state"
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  if [ -f "$state/xvfb.pid" ]; then
    display=$(tr -d '\n' < "$state/display" 2>/dev/null || true)
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    # It removes its lock file as it ends.
    while [ -n "$display" ] && [ -e "/tmp/.X$display-lock" ] && [ $tries -lt 50 ]; do
      tries=$((tries + 1))
      sleep 0.1
    done
    rm -f "$state/xvfb.pid" "$state/display"
  fi
}
