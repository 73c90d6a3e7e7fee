#!/usr/bin/env bash
# Installs every Debian 12 package that building, running and testing Vestora
# needs. Safe to run again: packages already present are left as they are.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git
  clang-14 libclang-rt-14-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # core libraries
  nlohmann-json3-dev zlib1g-dev libpng-dev libjpeg62-turbo-dev libfreetype-dev
  libsodium-dev
  # the demo store's web server, and the download benchmark's yardstick
  python3 curl
  # drawing and the window
  libgl-dev libglu1-mesa-dev freeglut3-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libwxgtk3.2-dev libwxgtk-webview3.2-dev libsdl2-mixer-dev
  # web pages and documents open in the desktop's programs
  xdg-utils
  # the installed copy's desktop entry is checked with desktop-file-validate
  desktop-file-utils
  # the default music: encoded by the generator, decoded by its content test
  libmp3lame-dev libmpg123-dev
  # running the program headless and looking at it
  xvfb xauth xdotool imagemagick fonts-wqy-microhei fonts-dejavu-core fonts-dejavu-extra
  # a locale that writes numbers with a decimal comma, for the writers' locale test
  locales
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
else
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Files must read and write the same whatever the user's locale: one test
# writes under German number formatting, which has to be generated first.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "install-deps: generating the de_DE.UTF-8 locale"
  "${sudo_cmd[@]}" sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen ||
    echo 'de_DE.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
