#!/usr/bin/env bash
# Installs the build, test and run-time packages that are missing (Debian 12).
set -euo pipefail
pkgs=(build-essential cmake pkg-config libgtk2.0-dev libsqlite3-dev sqlite3
      libgtest-dev libgmock-dev googletest libbenchmark-dev xvfb xauth
      imagemagick fonts-dejavu-core locales poppler-utils
      desktop-file-utils appstream lintian)
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
