#!/bin/sh
# Builds the Debian package of this build, unpacks it into a scratch root as dpkg installs it, and
# starts the configurator from there as a user who cannot write to the installed files: the
# workspace is made in that user's data folder, and nothing under the installed tree changes. The
# manual pages are found by man, the AppStream description lies where software centres look, and
# an updater link left behind by an earlier installation is mended at the next start.
#   tst_Deb.sh CPACK BUILD_DIR
set -eu
cpack=$1
build=$2

for tool in dpkg-deb dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (dpkg-dev)"
    exit 77
  fi
done

work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf -- "$work"
}
trap cleanup EXIT
trap "exit 1" INT TERM
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log" >&2
  fail "cpack -G DEB failed"
}
set -- "$work"/package/*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "cpack made no single .deb"
deb=$1

# The dependencies come from the libraries the programs link, and Qt's own translations; ping
# stands in where the user may open no ICMP socket.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libpugixml libcurl libssl libcsv qt6-translations-l10n; do
  case $depends in
    *"$package"*) ;;
    *) fail "Depends lacks $package: $depends" ;;
  esac
done
[ "$(dpkg-deb -f "$deb" Recommends)" = iputils-ping ] || fail "the package does not recommend iputils-ping"

root=$work/root
dpkg-deb -x "$deb" "$root"
prefix=$root/opt/sw61942
for file in SW61942 sw61942-image Ethernet_Update per-user-workspace LANGUAGE/English.lng \
  ../../usr/share/applications/sw61942.desktop ../../usr/share/icons/hicolor/scalable/apps/sw61942.svg; do
  [ -f "$prefix/$file" ] || fail "the package holds no $file"
done
for program in SW61942 sw61942-image; do
  [ "$(readlink "$root/usr/bin/$program")" = "/opt/sw61942/$program" ] || fail "/usr/bin/$program is no link to the installed one"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/sw61942.desktop" || fail "the menu entry is not valid"
fi
[ -f "$root/usr/share/metainfo/com.quorvex.sw61942.metainfo.xml" ] || fail "no AppStream description in /usr/share/metainfo"

# man finds each program's page where the system keeps manual pages, and the configurator's names
# the per-user workspace.
command -v man >/dev/null || fail "man is missing; scripts/install-deps installs it (man-db)"
for program in SW61942 sw61942-image Ethernet_Update; do
  page=$(man -M "$root/usr/share/man" -w "$program" 2>&1) || fail "man -w $program finds nothing: $page"
  case $page in
    "$root/usr/share/man/man1/$program.1"*) ;;
    *) fail "man -w $program finds $page" ;;
  esac
done
MANWIDTH=200 man -M "$root/usr/share/man" SW61942 2>/dev/null | grep -qF '~/.local/share/sw61942' \
  || fail "the manual page of SW61942 does not name the per-user workspace"

# A user without write access to the installed tree: another user id when the test runs as root,
# otherwise the tree made read-only. The user's home is a scratch folder of their own.
home=$work/home
mkdir "$home"
chmod 755 "$work"
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
  chown 65534:65534 "$home"
  as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"
else
  chmod -R a-w "$root"
  as_user=
fi
(cd "$root" && find . -exec stat -c '%n %s %Y %a' {} + | sort) >"$work/before"

workspace=$home/.local/share/sw61942
updater_linked() {
  [ "$(readlink "$workspace/Ethernet_Update")" = "$prefix/Ethernet_Update" ]
}
# Starts the configurator as that user and stops it once the workspace is there with the link to
# the installed updater and a second has passed, or after 10 seconds.
start_configurator() {
  env -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen $as_user "$prefix/SW61942" >"$work/program.log" 2>&1 &
  pid=$!
  tries=0
  until [ -d "$workspace/MASTER" ] && [ -d "$workspace/PROJECTS" ] && updater_linked; do
    kill -0 "$pid" 2>/dev/null || {
      cat "$work/program.log" >&2
      fail "SW61942 ended before it made its workspace"
    }
    tries=$((tries + 1))
    [ "$tries" -le 100 ] || fail "SW61942 made no workspace in $workspace with a link to the installed updater within 10 seconds"
    sleep 0.1
  done
  sleep 1
  kill -0 "$pid" 2>/dev/null || fail "SW61942 ended by itself"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
}

# Each program's help names the per-user workspace; the configurator's names this user's.
env -u XDG_DATA_HOME HOME="$home" $as_user "$prefix/SW61942" --help >"$work/help.txt" 2>&1 || fail "SW61942 --help failed"
grep -qF "$workspace" "$work/help.txt" || fail "SW61942 --help does not name the workspace $workspace"
for program in sw61942-image Ethernet_Update; do
  "$prefix/$program" --help | grep -qF '$XDG_DATA_HOME/sw61942' || fail "$program --help does not name the per-user workspace"
done
[ ! -e "$workspace" ] || fail "SW61942 --help made the workspace"

start_configurator
# Started through that link, the updater looks for its parameter file in the workspace.
$as_user "$workspace/Ethernet_Update" --no-window >"$work/updater.log" 2>&1 && fail "the updater ran without a parameter file"
grep -qF "$workspace" "$work/updater.log" || {
  cat "$work/updater.log" >&2
  fail "the updater started from the workspace does not look for its parameter file there"
}
[ ! -e "$workspace/LANGUAGE" ] || fail "the workspace copied the language files"

# The package removed and installed anew elsewhere, or moved: the link names a place that is gone.
# The next start mends it.
$as_user ln -sfn "$work/removed/opt/sw61942/Ethernet_Update" "$workspace/Ethernet_Update"
start_configurator
(cd "$root" && find . -exec stat -c '%n %s %Y %a' {} + | sort) >"$work/after"
diff "$work/before" "$work/after" >&2 || fail "the installed tree changed"
echo "PASS: Debian package"
