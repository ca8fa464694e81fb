#!/usr/bin/env bash
# Installs what building, running and testing Kelvoria needs on Debian 12,
# for both Windows targets: the cross compilers for i686 and x86_64, Wine's
# 64-bit loader, and its 32-bit loader where this machine runs 32-bit code;
# NSIS for the setup programs.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail
# shellcheck source=arch.sh
source "$(dirname "$0")/arch.sh"

need_root() {
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then exec sudo -E bash "$0" "$@"; fi
        echo "setup: run as root (or install sudo)" >&2
        exit 1
    fi
}

PACKAGES=(
    cmake make pkg-config dpkg-dev nasm
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64
    xvfb xdotool x11-utils imagemagick trayer
    # A window manager on the virtual display, for benchmarks that measure
    # a desktop as listeners have one.
    openbox
    googletest
    ffmpeg sox
    # A sound server that plays in real time, for what a listener hears.
    pulseaudio pulseaudio-utils
    nsis
    python3
)

missing_packages() {
    local p
    for p in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
    done
}

# Adds deb-src entries mirroring the machine's own "deb" entries, so that
# `apt-get source` can fetch Debian's source packages. Nothing is invented:
# every URI and suite comes from the existing configuration.
ensure_deb_src() {
    local out=/etc/apt/sources.list.d/kelvoria-deb-src.sources
    if [ -f "$out" ] || grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/ ; then
        return 1
    fi
    python3 - "$out" <<'PY' || return 1
import glob, re, sys
out = sys.argv[1]
stanzas = []
for path in sorted(glob.glob('/etc/apt/sources.list.d/*.sources')):
    text = open(path, encoding='utf-8').read()
    for block in re.split(r'\n\s*\n', text):
        fields = {}
        for line in block.splitlines():
            if line.startswith('#') or ':' not in line or line[:1].isspace():
                continue
            k, v = line.split(':', 1)
            fields[k.strip()] = v.strip()
        if fields.get('Types', '').split() == ['deb'] and 'debian' in fields.get('URIs', ''):
            if fields.get('Enabled', 'yes') == 'no':
                continue
            fields['Types'] = 'deb-src'
            fields.pop('Architectures', None)
            stanzas.append('\n'.join(f'{k}: {v}' for k, v in fields.items()))
for path in ['/etc/apt/sources.list'] + sorted(glob.glob('/etc/apt/sources.list.d/*.list')):
    try:
        lines = open(path, encoding='utf-8').read().splitlines()
    except OSError:
        continue
    for line in lines:
        m = re.match(r'^\s*deb\s+(\[[^\]]*\]\s+)?(\S+)\s+(\S+)\s+(.*)$', line)
        if m and 'debian' in m.group(2):
            stanzas.append(f'Types: deb-src\nURIs: {m.group(2)}\nSuites: {m.group(3)}\nComponents: {m.group(4)}')
if not stanzas:
    sys.exit(1)
open(out, 'w', encoding='utf-8').write('\n\n'.join(stanzas) + '\n')
PY
}

# Installing PulseAudio hooks ALSA's default device to a server at the
# default socket, which a client would start on its own. The tests run their
# own servers on private sockets: no client starts one, so the ALSA file
# capture of the other tests keeps working. Written before the install.
keep_pulseaudio_from_starting() {
    local conf=/etc/pulse/client.conf.d/kelvoria-no-autospawn.conf
    [ -f "$conf" ] && grep -qx 'autospawn = no' "$conf" && return 0
    mkdir -p "$(dirname "$conf")"
    printf 'autospawn = no\n' > "$conf"
}

main() {
    need_root "$@"
    keep_pulseaudio_from_starting
    local changed=0 extra=()
    if kelvoria_runs_32bit_code; then
        # The 32-bit ALSA library reads the configuration hook that PulseAudio
        # installs only with its own architecture's plugins.
        extra=(wine32:i386 libasound2-plugins:i386)
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            dpkg --add-architecture i386
            changed=1
        fi
    fi
    ensure_deb_src && changed=1
    local missing missing_extra
    missing=$(missing_packages)
    missing_extra=$(missing_packages "${extra[@]}" | grep -vxF -f <(printf '%s\n' $missing) || true)
    if [ -n "$missing" ] || [ -n "$missing_extra" ] || [ "$changed" = 1 ]; then
        export DEBIAN_FRONTEND=noninteractive
        # A mirror caught mid-sync fails one index or another; the lists
        # that did arrive are used, and the installs below say what is
        # really missing.
        apt-get update -qq || echo "setup: apt-get update reported errors; going on with the lists it has" >&2
    fi
    if [ -n "$missing" ]; then
        # shellcheck disable=SC2086
        apt-get install -y -qq --no-install-recommends $missing
    fi
    # The 32-bit Wine is a bonus: without it the scripts build, run and test
    # the x86_64 target (arch.sh), so an archive that cannot give it today
    # (an i386 index caught mid-sync) stops nothing.
    if [ -n "$missing_extra" ]; then
        # shellcheck disable=SC2086
        apt-get install -y -qq --no-install-recommends $missing_extra ||
            echo "setup: could not install $missing_extra; the x86_64 target will be used" >&2
    fi
    echo "setup: all build, run and test dependencies are present"
}

main "$@"
