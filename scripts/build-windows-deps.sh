#!/usr/bin/env bash
# Cross-builds the libraries the Windows programs link statically (zlib, libpng,
# libjpeg-turbo, FreeType) from Debian's own source packages, into
# build-windows-deps/prefix. Nothing prebuilt is downloaded. A finished prefix is kept.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD/build-windows-deps
prefix=$root/prefix
src=$root/src
triple=x86_64-w64-mingw32
toolchain=$PWD/cmake/toolchains/mingw-w64-x86_64.cmake
jobs=$(nproc)

libs=(libz.a libpng16.a libjpeg.a libfreetype.a)
have_all() {
  for lib in "${libs[@]}"; do [ -f "$prefix/lib/$lib" ] || return 1; done
}
if have_all; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# Source packages need a deb-src entry for the release this machine runs.
ensure_sources() {
  if apt-get source --download-only --print-uris zlib >/dev/null 2>&1; then return; fi
  . /etc/os-release
  $SUDO tee /etc/apt/sources.list.d/tazu-deb-src.sources >/dev/null <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: ${VERSION_CODENAME}
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  $SUDO apt-get update -qq
}

fetch() {
  mkdir -p "$src"
  (cd "$src" && apt-get source -qq -o APT::Sandbox::User=root zlib libpng1.6 libjpeg-turbo freetype >/dev/null)
}

cmake_build() {  # folder, extra cmake arguments...
  local dir=$1
  shift
  cmake -S "$dir" -B "$dir/_win" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DTAZU_WINDOWS_DEPS="$prefix" \
    -DCMAKE_POLICY_DEFAULT_CMP0074=NEW "$@" >/dev/null
  # Compiler warnings of the libraries go to a log, shown only when the build fails.
  cmake --build "$dir/_win" -j"$jobs" >"$dir/_win/build.log" 2>&1 || {
    cat "$dir/_win/build.log" >&2
    return 1
  }
  cmake --install "$dir/_win" >/dev/null
}

build_zlib() {
  local dir
  dir=$(echo "$src"/zlib-*/)
  local obj=$dir/_win
  mkdir -p "$obj" "$prefix/lib" "$prefix/include"
  for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast \
    inflate inftrees trees uncompr zutil; do
    $triple-gcc-posix -O2 -c "$dir/$c.c" -o "$obj/$c.o"
  done
  rm -f "$prefix/lib/libz.a"
  $triple-ar rcs "$prefix/lib/libz.a" "$obj"/*.o
  cp "$dir/zlib.h" "$dir/zconf.h" "$prefix/include/"
}

build_png() {
  cmake_build "$(echo "$src"/libpng1.6-*/)" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include"
}

build_jpeg() {
  local simd=ON
  command -v nasm >/dev/null || simd=OFF
  cmake_build "$(echo "$src"/libjpeg-turbo-*/)" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_SIMD=$simd
}

build_freetype() {
  # Compressed fonts are read with the zlib above, not FreeType's private copy (whose
  # symbols would clash with it in a static link).
  cmake_build "$(echo "$src"/freetype-*/)" -DBUILD_SHARED_LIBS=OFF -DFT_REQUIRE_ZLIB=ON \
    -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
}

ensure_sources
rm -rf "$src"
fetch
build_zlib
build_png
build_jpeg
build_freetype
have_all || { echo "build-windows-deps: a library is missing in $prefix/lib" >&2; exit 1; }
echo "Windows libraries ready in $prefix"
