#!/usr/bin/env bash
# One entry for setting up, building, running and testing on Debian 12.
#   scripts/dev.sh demo   install packages, build, start on the demo device
#   scripts/dev.sh test   install packages, build, run every test under Xvfb
#   scripts/dev.sh build  build only
#   scripts/dev.sh package  build, then make the Debian package in the build folder
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${PORTIVA_BUILD_DIR:-$here/build}
jobs=${PORTIVA_JOBS:-$(nproc)}

install_packages() {
  [ "${PORTIVA_SKIP_INSTALL:-}" = 1 ] && return 0
  mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$here/scripts/packages.txt")
  missing=()
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
  cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${PORTIVA_CMAKE_ARGS:-}
  cmake --build "$build" -j"$jobs"
}

case "${1:-}" in
  demo)
    install_packages
    build
    export PORTIVA_DEVICE_IMAGES="$build/demo-device${PORTIVA_DEVICE_IMAGES:+:$PORTIVA_DEVICE_IMAGES}"
    exec "$build/bin/portiva"
    ;;
  test)
    install_packages
    build
    cd "$build"
    # One test at a time: GUI tests read pixels and move the pointer on the
    # one shared screen. No test is tried twice: a failure is a fault. (The
    # test entry itself starts afresh when the toolkit cannot reach a
    # display that has only just come up.)
    xvfb-run -a -s "-screen 0 1600x1000x24" \
      ctest --output-on-failure --timeout 300
    "$here/scripts/check_install.sh" "$build"
    ;;
  package)
    install_packages
    build
    cd "$build"
    rm -f portiva_*.deb
    cpack -G DEB
    ;;
  build)
    install_packages
    build
    ;;
  *)
    echo "usage: $0 demo|test|build|package" >&2
    exit 2
    ;;
esac
