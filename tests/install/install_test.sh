#!/usr/bin/env bash
# Installs the build into a fresh prefix and uses it as a host would: a C
# program built with find_package(bsp) and one built with pkg-config, the
# installed `bsp` command and the installed Python package, all run without
# LD_LIBRARY_PATH. Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
unset LD_LIBRARY_PATH BSP_LIBRARY

cmake --install "$build" --prefix "$prefix" >/dev/null
test -L "$prefix/lib/libbsp.so"
soname=$(objdump -p "$prefix/lib/libbsp.so" | awk '/SONAME/ {print $2}')
[[ $soname == libbsp.so.[0-9]* ]] || { echo "SONAME is '$soname'"; exit 1; }

cmake -S "$source/tests/install/host" -B "$work/cmake-host" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-host" >/dev/null
"$work/cmake-host/host"

export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
cc -o "$work/pc-host" "$source/tests/install/host/host.c" $(pkg-config --cflags --libs bsp) \
   -Wl,-rpath,"$(pkg-config --variable=libdir bsp)"
"$work/pc-host"

"$prefix/bin/bsp" --version
# The installed package finds the installed library, not a build tree's.
PYTHONPATH=$prefix/lib/python3/dist-packages python3 -c "
import bsp, os, sys
lib = os.path.realpath(bsp.load()._name)
print('python', bsp.version(), lib)
sys.exit(0 if bsp.version() == bsp.library_version() and lib.startswith(os.path.realpath('$prefix')) else 1)"
echo "install test passed"
