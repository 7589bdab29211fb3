#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building, running and testing need, and
# only those that are missing. As root it installs them; otherwise it prints
# the command to run and stops. Extra package names may be given as arguments
# (the fuzz and benchmark targets need a few more).
set -eu

PACKAGES="cmake ninja-build g++ make qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
fonts-dejavu-core fonts-liberation xvfb xauth poppler-utils cups printer-driver-cups-pdf
desktop-file-utils appstream mtools dosfstools libcurl4-openssl-dev $*"
PACKAGES="$PACKAGES shared-mime-info libglib2.0-bin" # the file type, as a file manager finds it
PACKAGES="$PACKAGES python3-pyatspi at-spi2-core dbus" # the test that reads the window over AT-SPI
# The card list update's tests: a close sent as the window system sends it
# (Qt's platform headers), certificates of a test authority, and a private
# namespace with the test's certificate store and network.
PACKAGES="$PACKAGES qt6-base-private-dev openssl util-linux mount iproute2"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    echo "Installing missing packages:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing
else
    echo "These Debian packages are missing:$missing"
    echo "Install them with:  sudo apt-get install -y --no-install-recommends$missing"
    exit 1
fi
