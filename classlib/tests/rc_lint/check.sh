#!/bin/sh
# rc-lint accepts the classlib test resources and refuses every fixture here.
root=$1
"$root/scripts/rc-lint" -I "$root/classlib" "$root/classlib/tests/tests.rc" || exit 1
# Includes <windows.h>: its C declarations are not resource blocks.
"$root/scripts/rc-lint" -I "$root/classlib" -I "$root/classlib/tests" "$root/classlib/tests/frame_tests.rc" || exit 1
for f in "$root"/classlib/tests/rc_lint/*.rc; do
    if "$root/scripts/rc-lint" -I "$root/classlib" "$f" >/dev/null; then
        echo "not refused: $f"
        exit 1
    fi
done
echo "rc-lint: all fixtures judged as expected"
