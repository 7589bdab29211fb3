#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Tries the two packages as a new administrator would. Runs lintian on both,
# then on a bare Debian 12 root: installs the command's package alone with
# apt-get, counting what it brings, and fills a floppy image with it as an
# ordinary user; installs the editor's package, counting again, and checks
# that the MIME database knows the settings file's type; starts the editor
# from its desktop entry's Exec line as that user under Xvfb, checks that its
# window carries the class the entry names, refreshes the card list from a
# local web server standing in for the maker's site, and takes screenshots;
# removes both packages and checks that no file of theirs is left and the
# type is gone again. By hand, as root, not part of make test (about 8
# minutes the first time, half of it debootstrap). A second run reuses the
# root and takes 2 minutes; it first purges every package the last run added,
# so that the counts stay those of a bare system.
#
#   sh scripts/try-package.sh [PACKAGES] [ROOT] [SHOTS]
#
# PACKAGES is the folder make package fills, build/package by default.
set -eu
packages=$(realpath "${1:-build/package}")
root=${2:-/tmp/useropts-trial-root}
shots=${3:-/tmp/useropts-trial-shots}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
app_id=example.corvane.UserOptionsEditor
type=text/x-useropts

[ "$(id -u)" -eq 0 ] || { echo "run as root"; exit 1; }
command_deb=$(ls "$packages"/useropts_*.deb)
editor_deb=$(ls "$packages"/useropts-editor_*.deb)
fail() {
    echo "FAIL: $*"
    exit 1
}

echo "== lintian -I --pedantic"
status=0
lintian --fail-on error,warning -I --pedantic "$command_deb" "$editor_deb" >"$packages/lintian.txt" 2>&1 ||
    status=$?
grep -v '^running with root privileges' "$packages/lintian.txt" || true
[ "$status" -eq 0 ] || fail "lintian finds errors or warnings"

if [ ! -x "$root/usr/bin/apt-get" ]; then
    echo "== debootstrap into $root"
    debootstrap --variant=minbase bookworm "$root" "$mirror" >/dev/null
fi
cleanup() {
    umount "$root/proc" "$root/dev" "$root/sys" 2>/dev/null || true
}
trap cleanup EXIT
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /sys "$root/sys"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# Without /dev/pts, which the bind of /dev leaves out, dpkg's output needs no
# terminal of its own.
echo 'Dpkg::Use-Pty "0";' >"$root/etc/apt/apt.conf.d/90useropts-trial"
cp "$command_deb" "$root/tmp/useropts.deb"
cp "$editor_deb" "$root/tmp/useropts-editor.deb"

in_root() {
    chroot "$root" env DEBIAN_FRONTEND=noninteractive "$@"
}
installed() {
    in_root dpkg-query -W -f '${Package} ${Status}\n' | awk '$NF == "installed" { print $1 }' | sort
}
# The packages debootstrap left are recorded once; whatever a run adds is
# taken away by the next.
bare=$root/var/lib/useropts-trial-bare
[ -f "$bare" ] || installed >"$bare"
added=$(installed | comm -13 "$bare" -)
if [ -n "$added" ]; then
    echo "== purging what the last trial added"
    # shellcheck disable=SC2086
    in_root apt-get purge -y -qq $added >/dev/null
fi
in_root apt-get update -qq
in_root id tester >/dev/null 2>&1 || in_root useradd -m tester

# install_counted NAME: installs /tmp/NAME.deb and says how many packages it
# brought, itself among them, and how many it would without recommends.
install_counted() {
    lean=$(in_root apt-get install -s --no-install-recommends "./tmp/$1.deb" | grep -c '^Inst ')
    installed >"$root/tmp/before"
    in_root apt-get install -y -qq "./tmp/$1.deb" >/dev/null
    brought=$(installed | comm -13 "$root/tmp/before" -)
    echo "$1 brings $(echo "$brought" | wc -l) packages ($lean without recommends):" \
        "$(echo "$brought" | tr '\n' ' ')"
}

echo "== apt-get install ./useropts.deb, alone"
install_counted useropts
# What a headless machine does with it: an empty image, filled and read back.
in_root runuser -u tester -- sh -c 'cd /tmp && rm -f trial.img && mkfs.fat -C trial.img 1440 >/dev/null &&
    useropts new trial.img WORKGROUP=TRIAL && useropts show trial.img | grep -qx WORKGROUP=TRIAL &&
    fsck.fat -n trial.img >/dev/null' || fail "the command could not fill an image"
echo "the command made, filled and read back an image"

echo "== apt-get install ./useropts-editor.deb"
install_counted useropts-editor
grep -qx "$type" "$root/usr/share/mime/types" ||
    fail "the MIME database does not know $type after the install"
echo "the MIME database knows $type"
# Only what the trial itself needs, none of which the packages may rely on.
in_root apt-get install -y -qq --no-install-recommends \
    xvfb xauth xdotool x11-utils imagemagick python3 >/dev/null

# The maker's site, as a proxy the editor is pointed at: it answers any
# request for /carddata.txt with a list of 12 trial cards, as many as the
# packaged list holds, so that no question about a far shorter list comes.
cat > "$root/tmp/site.py" <<'PY'
import http.server
LIST = b"".join(b"%-18sTrial card %d\n" % (b"TRIAL%02d" % i, i) for i in range(1, 13))
class Site(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if self.path.endswith("/carddata.txt"):
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(LIST)))
            self.end_headers()
            self.wfile.write(LIST)
        else:
            self.send_error(404)
    def log_message(self, *args):
        pass
http.server.HTTPServer(("127.0.0.1", 8099), Site).serve_forever()
PY
desktop=$root/usr/share/applications/$app_id.desktop
exec_line=$(sed -n 's/^Exec=//p' "$desktop" | sed 's/ %f//')
cat > "$root/tmp/trial.sh" <<SH
set -eu
python3 /tmp/site.py &
site=\$!
$exec_line &
editor=\$!
for i in \$(seq 100); do xdotool search --onlyvisible --name '^Open USEROPTS.BAT to modify\$' >/dev/null && break; sleep 0.2; done
sleep 1
xprop -id \$(xdotool search --onlyvisible --name '^Open USEROPTS.BAT to modify\$' | head -n 1) WM_CLASS >/tmp/wm-class.txt
xdotool key Escape
sleep 1
import -window root /tmp/shot-started.png
xdotool mousemove 50 222 click 1
sleep 1.5
xdotool key Return
sleep 2
import -window root /tmp/shot-updated.png
xdotool key Return
sleep 1
import -window root /tmp/shot-list.png
kill \$editor \$site
SH
echo "== the editor from its desktop entry, as user tester: $exec_line"
in_root runuser -u tester -- env HOME=/home/tester http_proxy=http://127.0.0.1:8099 \
    xvfb-run -a -s '-screen 0 1024x768x24 -noreset' sh /tmp/trial.sh
mkdir -p "$shots"
cp "$root"/tmp/shot-*.png "$shots"/
# An X11 dock matches a window to its menu entry by the window's class.
class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
grep -q ", \"$class\"\$" "$root/tmp/wm-class.txt" ||
    fail "the desktop entry names the class $class, the window has $(cat "$root/tmp/wm-class.txt")"
echo "the window's $(cat "$root/tmp/wm-class.txt") matches the desktop entry"
echo "== the user's own card list:"
cat "$root/home/tester/.local/share/Corvane/useropts-editor/CardData.txt"

echo "== apt-get remove useropts-editor useropts"
files=$(in_root dpkg-query -L useropts useropts-editor)
in_root apt-get remove -y -qq useropts-editor useropts >/dev/null
for p in useropts useropts-editor; do
    [ "$(in_root dpkg-query -W -f '${Status}' "$p" 2>/dev/null)" != "install ok installed" ] ||
        fail "$p is still installed"
done
# Folders others share stay; the packages' own go with their files.
for f in $files; do
    [ -d "$root$f" ] || [ ! -e "$root$f" ] || fail "left behind: $f"
done
for f in /usr/share/useropts-editor /usr/share/doc/useropts /usr/share/doc/useropts-editor; do
    [ ! -e "$root$f" ] || fail "left behind: $f"
done
! grep -qx "$type" "$root/usr/share/mime/types" ||
    fail "the MIME database still knows $type after the removal"
echo "removed: no file of either package is left, and the MIME database no longer knows $type"
echo "screenshots in $shots"
