#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix, creating the
# prefix on first use. Used by ctest as the cross-compiling emulator, through
# the wrapper each build writes (<build>/wine-exec.sh), which fixes the target.
#   wine-exec.sh PREFIX DLL_DIR PROGRAM [ARGS...]
#   wine-exec.sh PREFIX DLL_DIR --server [WINESERVER ARGS...]
# DLL_DIR (the runnable layout with fmod.dll) is put on the DLL search path.
# Wine's loader is called by its path: Debian's `wine` wrapper takes the
# 32-bit loader whenever it is installed, whatever the program is.
set -eu
prefix=$1 dll_dir=$2
shift 2
# shellcheck source=arch.sh
source "$(dirname "$0")/arch.sh"
KELVORIA_ARCH_SAID=1 kelvoria_choose_arch

export WINEPREFIX=$prefix
export WINELOADER=$KELVORIA_WINELOADER
export WINESERVER=$KELVORIA_WINESERVER
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialogs in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
export WINEPATH="Z:${dll_dir//\//\\}"
[ "$KELVORIA_ARCH" = i686 ] && export WINEARCH=win32

if [ "${1:-}" = --server ]; then
    shift
    exec "$WINESERVER" "$@"
fi

if [ ! -f "$prefix/.kelvoria-ready" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$prefix/.kelvoria-ready" ]; then
            "$WINELOADER" wineboot.exe -i >/dev/null 2>&1 || true
            "$WINESERVER" -w || true
            [ -f "$prefix/system.reg" ] || { echo "wine-exec: could not create the prefix $prefix" >&2; exit 1; }
            touch "$prefix/.kelvoria-ready"
        fi
    ) 9>"$prefix.lock"
fi

exec "$WINELOADER" "$@"
