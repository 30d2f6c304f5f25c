#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need; only what is missing.
set -euo pipefail

PACKAGES=(
  cmake g++ make pkg-config clang-format
  libsqlite3-dev sqlite3 zlib1g-dev libminizip-dev libssl-dev openssl libcurl4-openssl-dev curl
  libthrift-dev thrift-compiler libboost-dev
  libcairo2-dev libpango1.0-dev liblitehtml-dev libsdl2-dev libmpg123-dev fonts-wqy-microhei
  libx11-dev  # the window tests send the close message a window manager sends, through Xlib
  fonts-dejavu-core  # the Latin face of the quotation marks in English text
  libgtest-dev libgmock-dev libbenchmark-dev
  duktape-dev  # runs proxy configuration scripts
  rapidjson-dev nlohmann-json3-dev
  xvfb xdotool x11-apps
  xclip  # puts text on the test display's clipboard and primary selection for pasting
  xdg-utils  # opens links in the desktop's browser and mail program
  attr tzdata
  media-types  # /etc/mime.types, the types uploads announce
  libarchive-tools  # bsdtar, a backup tool that reads the files marked to be left out
  espeak-ng lame mpg123 unzip
  zip python3  # outside readers and writers of password zip entries
  socat  # an outside peer for the socket library's tests
  iproute2  # network changes, in a namespace of their own, for the reachability test
  wkhtmltopdf  # a browser engine that the page renderer's line-break test compares with
  wordnet-base
)
# The build reads the open word data of npm packages with node; Debian's node and npm serve when
# the machine has none of its own.
command -v node >/dev/null || PACKAGES+=(nodejs)
command -v npm >/dev/null || PACKAGES+=(npm)
# The clang build (make build-clang) needs the compiler; the fuzzing targets (make fuzz) also
# its libFuzzer runtime.
case "${1:-}" in
  clang) PACKAGES+=(clang) ;;
  fuzz) PACKAGES+=(clang libclang-rt-14-dev) ;;
esac

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
echo "installing: ${missing[*]}"
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
