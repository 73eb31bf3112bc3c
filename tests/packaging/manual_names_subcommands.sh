#!/bin/sh
# Fails when a subcommand that `kyrvana-cli --help` lists has no section in
# the manual page: manual_names_subcommands.sh KYRVANA_CLI MANUAL_PAGE_SOURCE
missing=""
for name in $("$1" --help | awk '/^Subcommands:/ {on = 1; next} /^[^ ]/ {on = 0}
                                 on && /^  [^ ]/ {print $1}'); do
    grep -Eq "^\.SS \"?$name( |\"|$)" "$2" || missing="$missing $name"
done
[ -z "$missing" ] || { echo "not in $2:$missing"; exit 1; }
