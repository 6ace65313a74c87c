#!/bin/sh
# Builds the Debian package from a build tree and checks what a user installing it relies on: the
# files in place, the dependencies that shlibdeps cannot see, and no lintian errors.
# usage: check-deb.sh CPACK BUILD_DIR OUT_DIR [EXTRA_EXECUTABLE...]
# Exit status 77: a Debian packaging tool is missing here, so nothing was checked.
set -eu
cpack=$1 build=$2 out=$3
shift 3
for tool in dpkg-deb dpkg-shlibdeps lintian; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done

rm -rf "$out"
mkdir -p "$out"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/brimalox_*.deb)
echo "built $deb"

status=0
fail() { echo "FAIL: $*"; status=1; }

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for dep in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins fonts-liberation2 librsvg2-2; do
  echo "$depends" | tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -qxF "$dep" || fail "Depends lacks $dep"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for file in ./usr/bin/brimalox \
            ./usr/share/applications/org.brimalox.Brimalox.desktop \
            ./usr/share/metainfo/org.brimalox.Brimalox.metainfo.xml \
            ./usr/share/icons/hicolor/scalable/apps/brimalox.svg \
            ./usr/share/man/man1/brimalox.1.gz \
            ./usr/share/doc/brimalox/copyright \
            ./usr/share/doc/brimalox/changelog.Debian.gz; do
  echo "$contents" | grep -qx "$file" || fail "package lacks $file"
done
# The menus' windows, which the program loads when first asked for.
mkdir "$out/root" && dpkg-deb -x "$deb" "$out/root"
from_bin=$(strings -el "$out/root/usr/bin/brimalox" | grep '^/\.\./.*/brimalox-models\.so$' | head -n 1)
[ -n "$from_bin" ] && [ -f "$out/root/usr/bin$from_bin" ] ||
  fail "the program looks for its module at usr/bin$from_bin, which the package lacks"
for extra in "$@"; do
  [ -n "$extra" ] || continue
  echo "$contents" | grep -qx "./usr/bin/$extra" || fail "package lacks ./usr/bin/$extra"
  echo "$contents" | grep -qx "./usr/share/man/man1/$extra.1.gz" || fail "package lacks the man page of $extra"
done

# The changelog's newest entry must carry the package's own version.
version=$(dpkg-deb -f "$deb" Version)
logged=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/doc/brimalox/changelog.Debian.gz |
         gzip -dc | sed -n '1s/^brimalox (\([^)]*\)).*/\1/p')
[ "$logged" = "$version" ] || fail "changelog names version '$logged', the package is '$version'"

# Errors fail the check; warnings and notes are shown for whoever reads the log.
lintian --fail-on error --display-info --tag-display-limit 0 "$deb" || fail "lintian reports errors"
exit $status
