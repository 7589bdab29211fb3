#!/bin/sh
# Installs a build below a temporary DESTDIR, as a package build does, and
# checks what a desktop, a software centre and a user need of the tree.
set -eu
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
root=$stage/usr
id=example.corvane.UserOptionsEditor
fail() {
    echo "FAIL: $*"
    exit 1
}

[ -x "$root/bin/useropts-editor" ] || fail "no program in bin"
desktop-file-validate "$root/share/applications/$id.desktop" || fail "desktop entry"
grep -q '^Exec=useropts-editor %f$' "$root/share/applications/$id.desktop" ||
    fail "the desktop entry does not hand a file to the program"
appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "metainfo: $(appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml")"

# Every usual size, each as large as its folder says (a PNG's width and
# height are the big-endian words at bytes 16 and 20).
for size in 16 22 24 32 48 64 128 256; do
    icon=$root/share/icons/hicolor/${size}x$size/apps/$id.png
    [ -f "$icon" ] || fail "no $size px icon"
    set -- $(od -An -tu1 -j16 -N8 "$icon")
    [ $(($1 * 16777216 + $2 * 65536 + $3 * 256 + $4)) -eq "$size" ] &&
        [ $(($5 * 16777216 + $6 * 65536 + $7 * 256 + $8)) -eq "$size" ] ||
        fail "the $size px icon has another size"
done
[ -f "$root/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"

[ -s "$root/share/useropts-editor/CardData.txt" ] || fail "no shipped card list"
[ -s "$root/share/man/man1/useropts-editor.1.gz" ] || fail "no manual page"
[ -x "$root/bin/useropts" ] || fail "no useropts command in bin"
[ -s "$root/share/man/man1/useropts.1.gz" ] || fail "no manual page for the command"
[ -s "$root/share/doc/useropts-editor/copyright" ] || fail "no copyright file"
version=$(ASAN_OPTIONS=detect_leaks=0 "$root/bin/useropts-editor" --version)
[ "$version" = "useropts-editor 0.1.2" ] || fail "--version printed: $version"
version=$(ASAN_OPTIONS=detect_leaks=0 "$root/bin/useropts" --version)
[ "$version" = "useropts 0.1.2" ] || fail "useropts --version printed: $version"
echo "PASS: the installed tree is complete"
