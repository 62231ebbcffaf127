#!/bin/sh
# Sends the print file A.TXT, beside this script, to the default printer.
# Without a print system it quietly does nothing.
cd "$(dirname "$0")" || exit 0
[ -f A.TXT ] || exit 0
if command -v lp >/dev/null 2>&1; then
    lp -s A.TXT >/dev/null 2>&1
fi
exit 0
