#!/usr/bin/env bash
# Builds both Windows targets and makes what a Windows user downloads, in
# <build>/packages (the build folder of the chosen target, see arch.sh):
#   Kelvoria-<version>-win32.zip and Kelvoria-<version>-win64.zip, and
#   Kelvoria-<version>-setup-win32.exe and -setup-win64.exe, NSIS setup
#   programs that install the same files for the current user.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=arch.sh
source "$root/scripts/arch.sh"

kelvoria_setup_and_build "$root"
build=$(kelvoria_build_dir "$root")
product=$(kelvoria_product_dir "$build")
mkdir -p "$build/packages"
for dir in "$build" "$product"; do
    (cd "$dir" && cpack --config CPackConfig.cmake -B "$build/packages" >/dev/null)
    cmake --build "$dir" --target setup_program >/dev/null
done
rm -rf "$build/packages/_CPack_Packages"
# The other target's setup program is made in its own build folder.
cp "$product"/packages/Kelvoria-*-setup-*.exe "$build/packages/"
ls -1 "$build"/packages/Kelvoria-*.zip "$build"/packages/Kelvoria-*-setup-*.exe
