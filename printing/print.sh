#!/bin/sh
# Sends the print file A.TXT, beside this script, to the default printer.
# The file is ISO-8859-1 text with CR LF line ends; it goes to the printer
# as UTF-8 when iconv is at hand. With nothing to print (an empty file) it
# does nothing. When the file cannot be handed to the printer (no print
# system, lp refused it) it says why in one line on its error output and
# ends with exit status 1, which the program shows in its status bar.
fail() {
    echo "$1" >&2
    exit 1
}
case $0 in
*/*) cd "${0%/*}" || fail "the folder of print.sh could not be entered" ;;
esac
[ -e A.TXT ] || fail "the print file A.TXT was not found"
[ -s A.TXT ] || exit 0
command -v lp >/dev/null 2>&1 ||
    fail "no print system: the lp command was not found (install CUPS, package cups-client)"
if command -v iconv >/dev/null 2>&1; then
    said=$(iconv -f ISO-8859-1 -t UTF-8 A.TXT | lp -s -t A.TXT 2>&1 >/dev/null)
else
    said=$(lp -s A.TXT 2>&1 >/dev/null)
fi
status=$?
if [ "$status" -ne 0 ]; then
    # One line: the shell's own read and printf, whatever PATH holds.
    said=$(printf '%s\n' "$said" | while IFS= read -r line; do printf '%s ' "$line"; done)
    said=${said% }
    fail "lp could not take the file (exit status $status)${said:+: $said}"
fi
exit 0
