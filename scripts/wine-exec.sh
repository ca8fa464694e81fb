#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix, creating the
# prefix on first use. Used by ctest as the cross-compiling emulator.
#   wine-exec.sh PREFIX DLL_DIR PROGRAM [ARGS...]
# DLL_DIR (the runnable layout with fmod.dll) is put on the DLL search path.
set -eu
prefix=$1 dll_dir=$2
shift 2

export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialogs in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
export WINEPATH="Z:${dll_dir//\//\\}"

if [ ! -f "$prefix/.kelvoria-ready" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$prefix/.kelvoria-ready" ]; then
            wineboot -i >/dev/null 2>&1 || true
            wineserver -w || true
            [ -f "$prefix/system.reg" ] || { echo "wine-exec: could not create the prefix $prefix" >&2; exit 1; }
            touch "$prefix/.kelvoria-ready"
        fi
    ) 9>"$prefix.lock"
fi

exec wine "$@"
