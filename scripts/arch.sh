# Sourced by the other scripts: the Windows target they build, run and test.
#
# KELVORIA_ARCH=i686 (the 32-bit product) or KELVORIA_ARCH=x86_64 chooses it.
# Unset, the scripts use i686 where this machine runs 32-bit Windows programs
# under Wine and x86_64 where it does not, and say which once. Every check
# below is bounded by a timeout, so none of them can hang the build.
#
# After kelvoria_choose_arch these are set and exported:
#   KELVORIA_ARCH        i686 or x86_64
#   KELVORIA_CROSS       the MinGW-w64 target triplet
#   KELVORIA_WINELOADER  the Wine loader that runs this target's programs
#   KELVORIA_WINESERVER  the wineserver that goes with that loader

kelvoria_other_arch() {
    case "$1" in i686) echo x86_64 ;; *) echo i686 ;; esac
}

kelvoria_cross_for() {
    echo "$1-w64-mingw32"
}

# True when the kernel starts a 32-bit x86 program natively. The program is
# a hand-made 93-byte static ELF that only calls exit(0): it needs no 32-bit
# library. An emulator registered for i386 (qemu through binfmt_misc) does
# not count: Wine does not get through its own start-up under it.
kelvoria_runs_32bit_code() {
    local probe status entry
    for entry in /proc/sys/fs/binfmt_misc/*i386* /proc/sys/fs/binfmt_misc/*i486*; do
        [ -f "$entry" ] && head -n 1 "$entry" | grep -qx enabled && return 1
    done
    probe=$(mktemp "${TMPDIR:-/tmp}/kelvoria-elf32.XXXXXX")
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
    chmod +x "$probe"
    status=0
    timeout 5 "$probe" >/dev/null 2>&1 || status=$?
    rm -f "$probe"
    return "$status"
}

# True when Wine's 32-bit loader runs a Windows program to its end here. The
# answer costs a scratch prefix (ten seconds or so), so it is kept per boot
# of the machine in the cache folder.
kelvoria_wine_runs_32bit() {
    [ -x /usr/lib/wine/wine ] || return 1
    local cache=${KELVORIA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kelvoria}
    local boot answer_file scratch answer=no
    boot=$(cat /proc/sys/kernel/random/boot_id 2>/dev/null || echo unknown)
    answer_file=$cache/wine32-check-$boot
    if [ -f "$answer_file" ]; then
        [ "$(cat "$answer_file")" = yes ]
        return
    fi
    mkdir -p "$cache"
    scratch=$(mktemp -d "${TMPDIR:-/tmp}/kelvoria-wine32.XXXXXX")
    if WINEPREFIX=$scratch WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        WINESERVER=/usr/lib/wine/wineserver32 timeout -k 5 90 /usr/lib/wine/wine cmd.exe /c exit 0 \
        >/dev/null 2>&1; then
        answer=yes
    fi
    WINEPREFIX=$scratch timeout 10 /usr/lib/wine/wineserver32 -k >/dev/null 2>&1 || true
    rm -rf "$scratch"
    echo "$answer" >"$answer_file"
    [ "$answer" = yes ]
}

kelvoria_set_arch() {
    KELVORIA_ARCH=$1
    KELVORIA_CROSS=$(kelvoria_cross_for "$1")
    if [ "$1" = i686 ]; then
        KELVORIA_WINELOADER=/usr/lib/wine/wine
        KELVORIA_WINESERVER=/usr/lib/wine/wineserver32
    else
        KELVORIA_WINELOADER=/usr/lib/wine/wine64
        KELVORIA_WINESERVER=/usr/lib/wine/wineserver64
    fi
    export KELVORIA_ARCH KELVORIA_CROSS KELVORIA_WINELOADER KELVORIA_WINESERVER
}

# Call after scripts/setup.sh, which installs the 32-bit Wine where it can run.
kelvoria_choose_arch() {
    if [ -n "${KELVORIA_ARCH:-}" ]; then
        case "$KELVORIA_ARCH" in
            i686 | x86_64) kelvoria_set_arch "$KELVORIA_ARCH" ;;
            *) echo "KELVORIA_ARCH must be i686 or x86_64, not '$KELVORIA_ARCH'" >&2; return 1 ;;
        esac
        if [ -z "${KELVORIA_ARCH_SAID:-}" ]; then
            echo "target: $KELVORIA_ARCH (chosen by KELVORIA_ARCH)" >&2
            export KELVORIA_ARCH_SAID=1
        fi
        return 0
    fi
    local why
    if ! kelvoria_runs_32bit_code; then
        why="this machine runs no 32-bit x86 code"
        kelvoria_set_arch x86_64
    elif ! kelvoria_wine_runs_32bit; then
        why="Wine's 32-bit loader does not run a 32-bit program here"
        kelvoria_set_arch x86_64
    else
        why="this machine runs 32-bit Windows programs under Wine"
        kelvoria_set_arch i686
    fi
    echo "target: $KELVORIA_ARCH ($why; KELVORIA_ARCH=i686 or x86_64 chooses)" >&2
    export KELVORIA_ARCH_SAID=1
}

# The build folder of the chosen target, and that of the other target's
# program and engine (built for their static checks and the release zips).
kelvoria_build_dir() {
    local root=$1
    echo "${KELVORIA_BUILD_DIR:-$root/build/$KELVORIA_ARCH}"
}

# A benchmark's build folder: the one it is given, else where build.sh
# builds the chosen target.
kelvoria_bench_build_dir() {
    local root=$1 given=${2:-}
    if [ -n "$given" ]; then
        echo "$given"
        return
    fi
    kelvoria_choose_arch
    kelvoria_build_dir "$root"
}

kelvoria_product_dir() {
    echo "$1/product-$(kelvoria_other_arch "$KELVORIA_ARCH")"
}

# How the top-level scripts begin: install what is missing, choose the
# target, build it (build.sh's arguments follow the project root).
kelvoria_setup_and_build() {
    local root=$1
    shift
    bash "$root/scripts/setup.sh"
    kelvoria_choose_arch
    KELVORIA_SETUP_DONE=1 bash "$root/scripts/build.sh" "$@"
}
