#!/usr/bin/env bash
# Makes sure the build and test dependencies are present.  As root it
# installs what is missing with apt-get; otherwise it names the packages.
set -eu
pkgs="build-essential cmake pkg-config libxml2-dev libxml2-utils libgmp-dev
      libboost-graph-dev libgtest-dev python3 picosat clasp"
[ "${1:-}" = "--fuzz" ] && pkgs="$pkgs clang libclang-rt-dev"
missing=""
for p in $pkgs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" = 0 ]; then
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends $missing
else
  echo "Missing packages:$missing"
  echo "Install them with: sudo apt-get install$missing"
  exit 1
fi
