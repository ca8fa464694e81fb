#!/usr/bin/env bash
# Builds both Windows targets and makes the release zips a Windows user
# downloads, Kelvoria-<version>-win32.zip and Kelvoria-<version>-win64.zip,
# in <build>/packages (the build folder of the chosen target, see arch.sh).
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
done
rm -rf "$build/packages/_CPack_Packages"
ls -1 "$build"/packages/Kelvoria-*.zip
