#!/usr/bin/env bash
# Prepares a Debian 12 machine for building and testing: installs the Debian packages the project needs
# (non-interactive, idempotent) and fetches JUCE 7.0.5's module sources from Debian's juce-modules-source
# package into .deps/ (the build extracts and patches its own copy; nothing under /usr is edited).
set -euo pipefail

root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
deps_dir="$root_dir/.deps"

packages=(
    build-essential cmake ninja-build ccache pkg-config patch dpkg-dev
    clang libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev
    libfreetype-dev libx11-dev libxext-dev libxinerama-dev libxrandr-dev libxrender-dev libxcursor-dev libxtst-dev
    libgl-dev libpng-dev libjpeg62-turbo-dev zlib1g-dev libcurl4-openssl-dev
    xvfb xauth x11-apps mesa-utils libgl1-mesa-dri fonts-dejavu-core
    calf-plugins liblilv-dev zam-plugins ardour
)
juce_packages=(juce-modules-source juce-modules-source-data)
juce_version="7.0.5"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

have_juce_debs() {
    local p
    for p in "${juce_packages[@]}"; do
        compgen -G "$deps_dir/${p}_${juce_version}*.deb" >/dev/null || return 1
    done
}

if [ ${#missing[@]} -gt 0 ] || ! have_juce_debs; then
    export DEBIAN_FRONTEND=noninteractive
    as_root apt-get update -q
fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ! have_juce_debs; then
    mkdir -p "$deps_dir"
    echo "setup: downloading JUCE ${juce_version} module sources"
    # apt-get download runs as the calling user; only the package lists need root.
    (cd "$deps_dir" && apt-get download "${juce_packages[@]/%/=${juce_version}+ds-1}" 2>&1 | grep -v "unsandboxed" || true)
    have_juce_debs || { echo "setup: could not download ${juce_packages[*]} ${juce_version}" >&2; exit 1; }
fi

echo "setup: ready"
