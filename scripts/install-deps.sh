#!/usr/bin/env bash
# Installs what the build and the test suite need, and nothing that is already there.
set -euo pipefail

if [[ "$(uname -s)" == "Darwin" ]]; then
  command -v brew >/dev/null || { echo "Homebrew is needed: https://brew.sh" >&2; exit 1; }
  for formula in cmake qt googletest google-benchmark tomlplusplus git curl python3 clang-format; do
    brew list --formula "$formula" >/dev/null 2>&1 || brew install "$formula"
  done
  exit 0
fi

# xvfb, xauth and dbus-x11: the demo's test on a display without a session bus.
# clang-format: `make format` and the formatting check before the suite.
# fonts-noto-color-emoji: the demo's Homebrew shows its 🍺.
# clang-19, libc++-19-dev, libc++abi-19-dev: `make check-libcxx` parses every source with clang
# and libc++, the compiler and standard library a Mac builds with.
packages=(build-essential cmake qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev
          libtomlplusplus-dev zsh git curl python3 fonts-dejavu-core fonts-noto-color-emoji
          xvfb xauth dbus-x11 clang-format clang-19 libc++-19-dev libc++abi-19-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
