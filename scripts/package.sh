#!/usr/bin/env bash
# Builds Kyrvana's Debian package into dist/:
#
#   scripts/package.sh            a fresh build in build-package with Debian's
#                                 standard compiler and linker flags
#   scripts/package.sh FOLDER     packages the build folder FOLDER as it is
#                                 configured (CI packages its test build, so
#                                 that nothing is compiled twice)
#
# Either way the folder is configured for the installation prefix /usr, which
# the programs name in their messages, and CPack makes the package from the
# project's install rules.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
"$root/scripts/install-deps.sh"

folder="${1:-build-package}"
options=(-DCMAKE_INSTALL_PREFIX=/usr)
if [ $# -eq 0 ]; then
    # As Debian's own packages are built: build type None, so that only
    # dpkg-buildflags' flags apply (-O2, hardening, fortified functions, bind
    # now), and no tests or benchmarks.
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    eval "$(dpkg-buildflags --export=sh)"
    export CXXFLAGS="$CXXFLAGS $CPPFLAGS"
    options+=(-DCMAKE_BUILD_TYPE=None -DKYRVANA_BUILD_TESTS=OFF -DKYRVANA_BUILD_BENCH=OFF)
fi
cmake -S "$root" -B "$root/$folder" -G Ninja "${options[@]}" >/dev/null
cmake --build "$root/$folder" --parallel "$(nproc)"

mkdir -p "$root/dist"
if ! (cd "$root/$folder" && cpack -G DEB >cpack.log 2>&1); then
    cat "$root/$folder/cpack.log" >&2
    exit 1
fi
package="$(ls -t "$root/$folder"/kyrvana_*.deb | head -n 1)"
mv -f "$package" "$root/dist/"
echo "$root/dist/$(basename "$package")"
