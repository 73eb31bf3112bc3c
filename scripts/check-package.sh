#!/usr/bin/env bash
# Installs a built Kyrvana package on this machine, checks what it installed,
# and removes it again: check-package.sh dist/kyrvana_VERSION_ARCH.deb
#
# Each check prints one line; the last line counts them. Installing needs root
# (CI runs as root; elsewhere sudo is used). An installed kyrvana package is
# replaced and then removed.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
deb="$(realpath "$1")"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
work="$(mktemp -d)"
chmod 755 "$work"
sim_pid=""
cleanup() {
    [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
# check NAME COMMAND...: runs the command, its output kept for a failure.
check() {
    local name="$1"
    shift
    if "$@" >"$work/check.log" 2>&1; then
        echo "package: $name: ok"
        passed=$((passed + 1))
    else
        echo "package: $name: FAILED"
        sed 's/^/    /' "$work/check.log" | tail -n 30
        failed=$((failed + 1))
    fi
}

# Waits up to 20 s for a command to succeed.
wait_for() {
    local deadline=$((SECONDS + 20))
    until "$@" 2>/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

version="$(dpkg-deb -f "$deb" Version)"
upstream="${version%-*}"

# The installed file of the package whose path matches the pattern.
installed() {
    dpkg -L kyrvana | grep -m 1 "$1"
}

lintian_clean() {
    # Errors fail; warnings and notes are shown.
    lintian --fail-on error --info "$deb" 2>&1 | grep -v 'running with root privileges'
    return "${PIPESTATUS[0]}"
}

install_package() {
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
        --allow-downgrades "$deb"
}

programs_answer() {
    [ "$(/usr/bin/kyrvana-cli --version)" = "kyrvana-cli $upstream" ] &&
        [ "$(/usr/bin/kyrvana-sim --version)" = "kyrvana-sim $upstream" ] &&
        env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/kyrvana --help |
        grep -q '^Usage: kyrvana'
}

# Leaves the simulator running for the next check; it is stopped at exit.
cli_talks_to_sim() {
    /usr/bin/kyrvana-sim --sysfs-root "$work/port" >"$work/sim.out" 2>"$work/sim.err" &
    sim_pid=$!
    wait_for test -e "$work/port/dev/ttyACM0" || { cat "$work/sim.err"; return 1; }
    /usr/bin/kyrvana-cli --sysfs-root "$work/port" --settle-ms 0 identify >"$work/identify.out" &&
        grep -qx 'Model	Kyrvana P7' "$work/identify.out"
}

# A user who may not open the port is told about the installed rule.
cli_tells_about_rule() {
    local rule
    rule="$(installed '/rules\.d/.*\.rules$')"
    setpriv --reuid=65534 --regid=65534 --clear-groups \
        /usr/bin/kyrvana-cli --sysfs-root "$work/port" ports >"$work/ports.out" 2>"$work/ports.err"
    grep -q 'stimulator (no access)$' "$work/ports.out" && grep -qF "$rule)" "$work/ports.err" &&
        grep -qF 'udevadm trigger' "$work/ports.err"
}

desktop_entry_valid() {
    local desktop icon
    desktop="$(installed '^/usr/share/applications/.*\.desktop$')"
    desktop-file-validate "$desktop" || return 1
    icon="$(sed -n 's/^Icon=//p' "$desktop")"
    for size in 16x16 32x32 48x48 256x256 scalable; do
        ls /usr/share/icons/hicolor/$size/apps/"$icon".* >/dev/null || return 1
    done
}

metainfo_valid() {
    appstreamcli validate --no-net "$(installed '^/usr/share/metainfo/.*\.xml$')"
}

manual_pages_valid() {
    local page warnings
    for page in kyrvana kyrvana-cli kyrvana-sim; do
        man -w "$page" | grep -q "^/usr/share/man/man1/$page.1.gz$" || return 1
        warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$(man -w "$page")" 2>&1 >/dev/null)"
        [ -z "$warnings" ] || { echo "$page: $warnings"; return 1; }
    done
}

# udev's own parser reads the installed rule (any device will do for that).
udev_reads_rule() {
    local rule output
    rule="$(installed '/rules\.d/.*\.rules$')"
    output="$(udevadm test --action=add /sys/class/tty/console 2>&1)"
    grep -qF "Reading rules file: $rule" <<<"$output" || { echo "$output" | head; return 1; }
    ! grep -F "$(basename "$rule")" <<<"$output" | grep -v 'Reading rules file'
}

# The window on a virtual display: its class is the desktop entry's
# StartupWMClass, and it carries an icon.
window_matches_entry() {
    local desktop
    desktop="$(installed '^/usr/share/applications/.*\.desktop$')"
    xvfb-run -a -s '-screen 0 1280x1024x24' bash -c '
        # The test script runs everything else on the offscreen platform;
        # this window must reach the X server to be looked at.
        env -u QT_QPA_PLATFORM /usr/bin/kyrvana --simulate >/dev/null 2>&1 &
        app=$!
        trap "kill $app 2>/dev/null" EXIT
        window=""
        for _ in $(seq 200); do
            window="$(xwininfo -root -tree | awk "/\"Kyrvana\"/ {print \$1; exit}")"
            [ -n "$window" ] && break
            sleep 0.1
        done
        [ -n "$window" ] || { echo "no window"; exit 1; }
        xprop -id "$window" WM_CLASS _NET_WM_ICON | head -n 3 >"$1/window.txt"
        cat "$1/window.txt"
        class="$(sed -n "s/^StartupWMClass=//p" "$2")"
        grep -q "^WM_CLASS(STRING) = \".*\", \"$class\"$" "$1/window.txt" &&
            grep -q "Icon (" "$1/window.txt"' _ "$work" "$desktop"
}

completion_offers_subcommands() {
    bash -c '
        source /usr/share/bash-completion/completions/kyrvana-cli
        COMP_WORDS=(kyrvana-cli calibrate a); COMP_CWORD=2; _kyrvana_cli
        [ "${COMPREPLY[*]}" = apply ] || exit 1
        COMP_WORDS=(kyrvana-cli ide); COMP_CWORD=1; _kyrvana_cli
        [ "${COMPREPLY[*]}" = identify ]'
}

removed_cleanly() {
    "${as_root[@]}" dpkg --purge kyrvana &&
        ! test -e /usr/bin/kyrvana && ! test -e /usr/bin/kyrvana-cli &&
        ! ls /usr/lib/udev/rules.d/*kyrvana* 2>/dev/null
}

check "lintian shows no errors" lintian_clean
check "installs with its dependencies" install_package
if dpkg-query -W -f='${Status}' kyrvana 2>/dev/null | grep -q "install ok installed"; then
    check "programs answer --version and --help without a display" programs_answer
    check "kyrvana-cli identifies kyrvana-sim from the installed paths" cli_talks_to_sim
    check "kyrvana-cli ports marks a port the user may not open" cli_tells_about_rule
    check "desktop entry is valid and its icon installed" desktop_entry_valid
    check "metainfo is valid" metainfo_valid
    check "manual pages are found and format without warnings" manual_pages_valid
    check "udev reads the rule without complaint" udev_reads_rule
    check "window class and icon match the desktop entry" window_matches_entry
    check "bash completion offers the subcommands" completion_offers_subcommands
    check "removes cleanly" removed_cleanly
fi
echo "package checks passed: $passed, failed: $failed"
[ "$failed" -eq 0 ]
