#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Idempotent: when everything is present it installs nothing.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkgconf ccache git libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-multimedia-dev
  libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc libsqlite3-dev sqlite3 libjpeg62-turbo-dev
  libzinnia-dev tegaki-zinnia-simplified-chinese fonts-wqy-zenhei
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  postgresql socat xvfb xdotool x11-utils imagemagick tdsodbc unixodbc-dev python3-dbfread
  clang-14 libclang-rt-14-dev clang-format libicu-dev
  qt6-httpserver-dev qt6-websockets-dev libqrencode-dev zbar-tools chromium chromium-driver python3-selenium
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
echo "setup: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
