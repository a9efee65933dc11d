#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that every piece of the desktop
# integration lands where the desktop looks for it, and that the files validate.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail=0
expect() {
    if [ ! -s "$prefix/$1" ]; then
        echo "missing: $1"
        fail=1
    fi
}
expect bin/tabrella
desktop=share/applications/io.github.tabrella.Tabrella.desktop
metainfo=share/metainfo/io.github.tabrella.Tabrella.metainfo.xml
expect $desktop
expect $metainfo
expect share/mime/packages/tabrella.xml
expect share/icons/hicolor/scalable/apps/tabrella.svg
expect share/doc/tabrella/help/index.html
expect share/doc/tabrella/help/index.en.html
expect share/man/man1/tabrella.1
[ -x "$prefix/bin/tabrella" ] || { echo "bin/tabrella is not executable"; fail=1; }

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/$desktop" || fail=1
fi
grep -q '^MimeType=application/x-tabrella-score;' "$prefix/$desktop" || {
    echo "the menu entry does not claim .tbr files"
    fail=1
}
grep -q '^StartupNotify=true$' "$prefix/$desktop" || { echo "no startup notification"; fail=1; }
# The software centre's entry names the menu entry by the same id, and the type it opens.
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --no-color "$prefix/$metainfo" >/dev/null || {
        appstreamcli validate --no-net --no-color "$prefix/$metainfo"
        fail=1
    }
else
    echo "appstreamcli is not installed (scripts/lib/deps.sh installs it)"
    fail=1
fi
grep -q '<launchable type="desktop-id">io.github.tabrella.Tabrella.desktop</launchable>' \
    "$prefix/$metainfo" || { echo "the metainfo names another menu entry"; fail=1; }
grep -q '<mediatype>application/x-tabrella-score</mediatype>' "$prefix/$metainfo" || {
    echo "the metainfo does not name the .tbr type"
    fail=1
}
grep -q '<glob pattern="\*.tbr"/>' "$prefix/share/mime/packages/tabrella.xml" || fail=1
if command -v update-mime-database >/dev/null; then
    update-mime-database "$prefix/share/mime" >/dev/null 2>&1 || { echo "mime database rejects the type"; fail=1; }
fi
if command -v man >/dev/null; then
    MANWIDTH=80 man -l "$prefix/share/man/man1/tabrella.1" >/dev/null 2>&1 || { echo "man page does not format"; fail=1; }
fi
"$prefix/bin/tabrella" --version | grep -q '^Tabrella ' || { echo "installed binary does not run"; fail=1; }
# The modules, loaded when first needed from where the program's own place says.
for module in tabrella-sound.so tabrella-print.so tabrella-exchange.so; do
    [ -n "$(find "$prefix" -path "*/lib*/tabrella/$module")" ] ||
        { echo "missing: lib/.../tabrella/$module"; fail=1; }
done
score="$(dirname "$0")/../data/scores/example.tbr"
"$prefix/bin/tabrella" --export-audio "$prefix/example.wav" "$score" &&
    [ -s "$prefix/example.wav" ] || { echo "the installed program renders no audio"; fail=1; }
"$prefix/bin/tabrella" --print-pdf "$prefix/example.pdf" "$score" &&
    [ -s "$prefix/example.pdf" ] || { echo "the installed program prints no PDF"; fail=1; }
"$prefix/bin/tabrella" --export-musicxml "$prefix/example.mxl" "$score" &&
    [ -s "$prefix/example.mxl" ] || { echo "the installed program writes no MusicXML"; fail=1; }
exit $fail
