#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a build below temporary DESTDIRs, as a package build does: the
# whole tree, and each package's component on its own. Checks that the two
# packages hold the tree between them, and what a headless machine, a
# desktop, a file manager, a software centre and a user need of each.
set -eu
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
id=example.corvane.UserOptionsEditor
type=text/x-useropts
fail() {
    echo "FAIL: $*"
    exit 1
}

# install_into DIR [COMPONENT]: the tree below $stage/DIR, its files listed
# in $stage/DIR.files.
install_into() {
    DESTDIR=$stage/$1 cmake --install "$build" --prefix /usr ${2:+--component "$2"} >/dev/null
    (cd "$stage/$1" && find . ! -type d | sort) >"$stage/$1.files"
}
install_into all
install_into command useropts
install_into editor useropts-editor

# dpkg refuses to install a package holding a file another package holds, and
# a file in neither component is in no package at all.
in_both=$(comm -12 "$stage/command.files" "$stage/editor.files")
[ -z "$in_both" ] || fail "in both packages: $in_both"
in_neither=$(sort "$stage/command.files" "$stage/editor.files" | comm -13 - "$stage/all.files")
[ -z "$in_neither" ] || fail "in neither package: $in_neither"

# A headless machine gets the command and its papers, nothing of the window.
[ "$(cat "$stage/command.files")" = "./usr/bin/useropts
./usr/share/doc/useropts/changelog.gz
./usr/share/doc/useropts/copyright
./usr/share/man/man1/useropts.1.gz" ] || fail "the command's package holds: $(cat "$stage/command.files")"
version=$(ASAN_OPTIONS=detect_leaks=0 "$stage/command/usr/bin/useropts" --version)
[ "$version" = "useropts 0.1.2" ] || fail "useropts --version printed: $version"

root=$stage/editor/usr
[ -x "$root/bin/useropts-editor" ] || fail "no program in bin"
desktop=$root/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop entry"
grep -q '^Exec=useropts-editor %f$' "$desktop" ||
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
[ -s "$root/share/doc/useropts-editor/copyright" ] || fail "no copyright file"
[ -s "$root/share/doc/useropts-editor/changelog.gz" ] || fail "no change log"
version=$(ASAN_OPTIONS=detect_leaks=0 "$root/bin/useropts-editor" --version)
[ "$version" = "useropts-editor 0.1.2" ] || fail "--version printed: $version"

# The settings file's own type as a file manager finds it (GIO reads the
# same database as Qt and the others): the installed definition built into a
# database of its own, searched before the system's. update-mime-database
# reports a bad definition only in words, never by its exit status. GIO
# calls an empty file plain text whatever its name, so the samples hold a
# line.
data=$stage/data
mkdir -p "$data/mime/packages" "$stage/home"
cp "$root/share/mime/packages/$id.xml" "$data/mime/packages/"
built=$(XDG_DATA_DIRS=$data update-mime-database "$data/mime" 2>&1)
[ -z "$built" ] || fail "the file type's definition: $built"
grep -q '<comment>[^<]' "$data/mime/$type.xml" 2>/dev/null ||
    fail "no $type with a comment for a file manager to show"
type_of() {
    mkdir -p "$stage/samples/$1"
    printf 'rem\r\n' >"$stage/samples/$1/$1"
    XDG_DATA_HOME=$stage/home XDG_DATA_DIRS=$data:/usr/share \
        gio info -a standard::content-type "$stage/samples/$1/$1" |
        sed -n 's/^ *standard::content-type: //p'
}
for name in USEROPTS.BAT useropts.bat UserOpts.Bat; do
    [ "$(type_of "$name")" = "$type" ] || fail "$name is taken for $(type_of "$name")"
done
for name in AUTOEXEC.BAT USEROPTS.BAT.orig; do
    [ "$(type_of "$name")" != "$type" ] || fail "$name is taken for a settings file"
done

# A file manager offers the editor for its own type and for the floppy image
# types, each one that shared-mime-info defines, and for no other text file.
offered=$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' ' ')
case " $offered " in *" $type "*) ;; *) fail "the desktop entry does not offer $type" ;; esac
for t in $offered; do
    [ "$t" != text/plain ] || fail "the desktop entry offers to open every text file"
    grep -qx "$t" "$data/mime/types" /usr/share/mime/types || fail "no such file type: $t"
done
echo "PASS: both packages are complete, and the settings file has its own type"
