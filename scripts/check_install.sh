#!/usr/bin/env bash
# After the tests: installs the built tree into a temporary prefix and
# checks it as a desktop would use it, then builds the Debian package and
# checks that too.   scripts/check_install.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "check_install: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$work/install.log"

for path in bin/portiva lib/portiva/bin/portiva lib/portiva/option.cfg \
    lib/portiva/Themes/face.xml lib/portiva/Themes/default.zip \
    lib/portiva/Language/de/LC_MESSAGES/language.mo \
    lib/portiva/Language/zh_TW/LC_MESSAGES/language.mo \
    share/applications/example.portiva.Portiva.desktop \
    share/metainfo/example.portiva.Portiva.metainfo.xml \
    share/icons/hicolor/scalable/apps/example.portiva.Portiva.svg \
    share/icons/hicolor/48x48/apps/example.portiva.Portiva.png \
    share/icons/hicolor/256x256/apps/example.portiva.Portiva.png \
    share/man/man1/portiva.1.gz share/doc/portiva/copyright; do
  [ -e "$prefix/$path" ] || fail "missing $path"
done
[ -L "$prefix/bin/portiva" ] || fail "bin/portiva is not a link"
for stray in Themes Language option.cfg demo-device; do
  [ ! -e "$prefix/$stray" ] || fail "$stray at the top of the prefix"
done
[ ! -e "$prefix/lib/portiva/demo-device" ] || fail "the demo device was installed"

desktop-file-validate "$prefix/share/applications/example.portiva.Portiva.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/example.portiva.Portiva.metainfo.xml"

version=$("$prefix/bin/portiva" --version)
[[ "$version" =~ ^Portiva\ [0-9]+(\.[0-9]+)+$ ]] || fail "--version printed '$version'"
"$prefix/bin/portiva" --help | grep -q -- "--version" || fail "--help does not list --version"

# Started through the link under a display of its own: it finds its tree,
# its window comes up, and it ends with 0 when the desktop asks it to.
mkdir -p "$work/home"
cat > "$work/run.sh" <<RUN
#!/usr/bin/env bash
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
unset PORTIVA_DEVICE_IMAGES
export USBMUXD_SOCKET_ADDRESS="UNIX:$work/no-usbmuxd"
"$prefix/bin/portiva" > "$work/out.log" 2>&1 &
pid=\$!
for i in \$(seq 1 100); do
  grep -q "Install directory:" "$work/out.log" && break
  sleep 0.1
done
sleep 3
kill -TERM \$pid
wait \$pid
RUN
chmod +x "$work/run.sh"
status=0
xvfb-run -a -s "-screen 0 1280x900x24" "$work/run.sh" || status=$?
grep -q "Install directory: $prefix/lib/portiva\$" "$work/out.log" ||
  { cat "$work/out.log" >&2; fail "the program did not find its tree through the link"; }
[ "$status" -eq 0 ] || { cat "$work/out.log" >&2; fail "the program ended with $status"; }

# The Debian package.
(cd "$build" && rm -f portiva_*.deb && cpack -G DEB > "$work/cpack.log") ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$build"/portiva_*.deb)
dpkg-deb --contents "$deb" | awk '{print $6}' > "$work/contents"
for path in ./usr/bin/portiva ./usr/lib/portiva/bin/portiva ./usr/lib/portiva/Themes/face.xml \
    ./usr/lib/portiva/Language/ja/LC_MESSAGES/language.mo \
    ./usr/share/applications/example.portiva.Portiva.desktop \
    ./usr/share/metainfo/example.portiva.Portiva.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/example.portiva.Portiva.svg \
    ./usr/share/doc/portiva/copyright ./usr/share/doc/portiva/changelog.gz; do
  grep -qx -- "$path" "$work/contents" || fail "the package lacks $path"
done
! grep -q demo-device "$work/contents" || fail "the package holds the demo device"
dpkg-deb --field "$deb" Depends | grep -q "libwxgtk3.2" || fail "the package's dependencies were not worked out"
lintian --fail-on error "$deb" 2>&1 | grep -v "root privileges" || true
lintian --fail-on error "$deb" > /dev/null 2>&1 || fail "lintian reports errors"
echo "check_install: the installed tree, the desktop files and the package are fine"
