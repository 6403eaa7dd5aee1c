#!/usr/bin/env bash
# Installs the Debian packages that are missing: those that build and run
# hotlap-eval (run.sh), and with --tests also those of the tests (test.sh).
set -euo pipefail
build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev libpng-dev zlib1g-dev
  libjpeg62-turbo-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-liberation2
  nlohmann-json3-dev libtomlplusplus-dev nettle-dev libtbb-dev libexpected-dev libcli11-dev
  libkainjow-mustache-dev libmicrohttpd-dev libsqlite3-dev libcurl4-openssl-dev ccache)
# The fuzz smoke needs clang and its fuzzer runtime; the package tests build
# the .deb (dpkg-shlibdeps, file), validate the desktop files and rate the
# systemd unit (systemd-analyze); the format check needs clang-format, the
# server tests curl.
test_packages=(googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev chromium
  desktop-file-utils appstream dpkg-dev file systemd clang-format curl)
packages=("${build_packages[@]}")
case "${1:-}" in
  "") ;;
  --tests) packages+=("${test_packages[@]}") ;;
  *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "These Debian packages are missing; install them as root (no sudo here):" >&2
  echo "  apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
# Through env, as sudo drops the caller's environment.
apt=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get)
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
