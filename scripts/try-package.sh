#!/bin/sh
# Tries the package as a new administrator would, on a bare Debian 12 root:
# installs it with apt-get, starts the editor from its desktop entry's Exec
# line as an ordinary user under Xvfb, refreshes the card list from a local
# web server standing in for the maker's site, takes screenshots, and removes
# the package again. By hand, as root, not part of make test (about 6
# minutes, most of it debootstrap; a second run reuses the root).
#
#   sh scripts/try-package.sh build/package/useropts-editor_0.1.2_amd64.deb [ROOT] [SHOTS]
set -eu
deb=$(realpath "$1")
root=${2:-/tmp/useropts-trial-root}
shots=${3:-/tmp/useropts-trial-shots}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

[ "$(id -u)" -eq 0 ] || { echo "run as root"; exit 1; }
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
cp "$deb" "$root/tmp/package.deb"

echo "== apt-get install ./package.deb"
chroot "$root" apt-get update -qq
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./tmp/package.deb >/dev/null
# Only what the trial itself needs, none of which the package may rely on.
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    xvfb xauth xdotool imagemagick python3 >/dev/null
chroot "$root" id tester >/dev/null 2>&1 || chroot "$root" useradd -m tester

# The maker's site, as a proxy the editor is pointed at: it answers any
# request for /carddata.txt with a small list.
cat > "$root/tmp/site.py" <<'PY'
import http.server
LIST = b"TRIAL01           Card from the trial site\nTRIAL02           Another trial card\n"
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
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/example.corvane.UserOptionsEditor.desktop" |
    sed 's/ %f//')
cat > "$root/tmp/trial.sh" <<SH
set -eu
python3 /tmp/site.py &
site=\$!
$exec_line &
editor=\$!
for i in \$(seq 100); do xdotool search --onlyvisible --name '^Open USEROPTS.BAT to modify\$' >/dev/null && break; sleep 0.2; done
sleep 1
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
chroot "$root" runuser -u tester -- env HOME=/home/tester http_proxy=http://127.0.0.1:8099 \
    xvfb-run -a -s '-screen 0 1024x768x24 -noreset' sh /tmp/trial.sh
mkdir -p "$shots"
cp "$root"/tmp/shot-*.png "$shots"/
echo "== the user's own card list:"
cat "$root/home/tester/.local/share/Corvane/useropts-editor/CardData.txt"

echo "== apt-get remove"
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq useropts-editor >/dev/null
left=$(chroot "$root" dpkg -L useropts-editor 2>/dev/null || true)
[ -z "$left" ] && [ ! -e "$root/usr/bin/useropts-editor" ] && echo "removed: nothing of it is left"
echo "screenshots in $shots"
