#!/usr/bin/env bash
# Renders the application icon's PNG pictures from its drawing,
# packaging/icons/kyrvana.svg, in the sizes that the icon theme and the window
# use. Run it after changing the drawing; the pictures are kept in the
# repository so that a build needs no SVG renderer.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if ! command -v rsvg-convert >/dev/null; then
    echo "render-icons.sh: needs rsvg-convert (sudo apt-get install librsvg2-bin)" >&2
    exit 1
fi
sizes="$(sed -n 's/^set(KYRVANA_ICON_SIZES \(.*\))$/\1/p' "$root/cmake/KyrvanaProjectIdentity.cmake")"
for size in $sizes; do
    rsvg-convert -w "$size" -h "$size" "$root/packaging/icons/kyrvana.svg" \
        -o "$root/packaging/icons/kyrvana-$size.png"
done
