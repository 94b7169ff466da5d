# Sourced: Wine helpers for a prefix of our own. Set WINEPREFIX before calling them, and for a
# 32-bit prefix also WINEARCH=win32 and WINE_LOADER=$WINE32.
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers; a crash ends the process instead of starting the debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine # present once wine32:i386 is installed
WINE_LOADER=${WINE_LOADER:-$WINE64}
# Wine's own variable, honoured as Wine honours it.
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver64}
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)

# Whether Wine's 32-bit side is installed and this machine can run it.
have_wine32() { [ -x "$WINE32" ] && "$(dirname "${BASH_SOURCE[0]}")/linux32.sh" >/dev/null; }

# Makes the prefix once: no Mono/Gecko, no window manager waits, no crash dialog.
make_prefix() {
    [ -f "$WINEPREFIX/system.reg" ] && return 0
    mkdir -p "$WINEPREFIX"
    # Judged by what it leaves, not by its status: where 32-bit code cannot run, its 32-bit
    # steps fail, and the probe tells whether the prefix serves.
    "$WINE_LOADER" wineboot --init </dev/null >/dev/null 2>&1
    "$WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    "$WINE_LOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        </dev/null >/dev/null 2>&1
    # Wine's own MS Sans Serif, Tahoma and Marlett, which this Wine build does not find by
    # itself: without them every dialog font falls back to a wider face.
    cp /usr/share/wine/fonts/{sserife.fon,tahoma.ttf,tahomabd.ttf,marlett.ttf} \
        "$WINEPREFIX/drive_c/windows/Fonts/" || return 1
    "$WINESERVER" -w
}

# A persistent server and the background services, started with stdio detached, so that no
# test inherits and holds open the runner's output pipes.
warm_wine() {
    "$WINESERVER" -p </dev/null >/dev/null 2>&1 &
    "$WINE_LOADER" wineboot </dev/null >/dev/null 2>&1
}

stop_wine() { "$WINESERVER" -k >/dev/null 2>&1 || true; }

# Starts Xvfb on a free display unless one is given; sets DISPLAY and XVFB_PID.
start_xvfb() {
    XVFB_PID=
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
    done
    echo "Xvfb did not start" >&2
    return 1
}
