#!/bin/sh
# Runs a Windows test program under Wine in a prefix of its own: copied for
# this run from the build tree's prefix (scripts/wine-prefix-copy), so that
# the registry holds only what the program writes, and removed afterwards. The program gets a 1024x768 virtual desktop, so its
# work area is known. Its exit code is the script's.
# Usage: fresh_prefix_run.sh BUILD_DIR PROGRAM [ARGS...]
set -u
build=$1
program=$2
shift 2
base="$build/wineprefix"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
wine=wine
wineserver=wineserver
[ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64
[ -x /usr/lib/wine/wineserver64 ] && wineserver=/usr/lib/wine/wineserver64

if [ ! -f "$base/system.reg" ]; then
    WINEPREFIX="$base" $wine wineboot -i >/dev/null 2>&1
    WINEPREFIX="$base" $wineserver -w
fi

fresh=$(mktemp -d "$build/fresh-prefix.XXXXXX") || exit 1
cleanup() {
    WINEPREFIX="$fresh" $wineserver -k >/dev/null 2>&1
    WINEPREFIX="$fresh" $wineserver -w >/dev/null 2>&1
    rm -rf "$fresh"
}
trap cleanup EXIT
"$(dirname "$0")/../../../../scripts/wine-prefix-copy" "$base" "$fresh" || exit 1
export WINEPREFIX="$fresh"

name=$(basename "$program" .exe)
$wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$name" /d 1024x768 /f >/dev/null 2>&1
$wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$name.exe\\Explorer" /v Desktop /d "$name" /f >/dev/null 2>&1
$wine "$program" "$@"
rc=$?
exit $rc
