#!/bin/sh
# Runs the commands of README's "Try the whole road" (the fenced block after "<!-- road -->") in
# order, as they stand there, from a folder laid out like a fresh clone. Its build folder is the
# build under test, so the road's own build command runs but finds everything built; the
# configurator runs offscreen and is stopped once it has started.
#   tst_ReadmeRoad.sh SOURCE_DIR BUILD_DIR
set -eu
source=$(cd "$1" && pwd -P)
build=$(cd "$2" && pwd -P)

work=$(mktemp -d)
pid=
firmware=$build/bin/MASTER/Sim61942.sim
cleanup() {
  if [ -n "$pid" ]; then kill -TERM "-$pid" 2>/dev/null || true; fi
  # The road puts a firmware file into the build's program folder; the one found there comes back.
  if [ -f "$work/firmware.saved" ]; then mv -f "$work/firmware.saved" "$firmware"; else rm -f "$firmware"; fi
  rm -rf -- "$work"
}
trap cleanup EXIT
trap "exit 1" INT TERM
fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/road.log" ] && sed 's/^/  road: /' "$work/road.log" >&2
  exit 1
}

generator=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$build/CMakeCache.txt")
if [ "$generator" != Ninja ]; then
  echo "SKIP: the road builds with Ninja; this build uses $generator"
  exit 77
fi
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")

awk '/^<!-- road -->$/ { m = 1; next }
     m == 1 && /^```/ { m = 2; next }
     m == 2 && /^```/ { exit }
     m == 2 { print }' "$source/README.md" >"$work/road.sh"
[ -s "$work/road.sh" ] || fail "README has no command block after <!-- road -->"

# A clone: the sources, and the build under test as its build folder.
mkdir "$work/clone"
for entry in "$source"/* "$source"/.[!.]*; do
  name=${entry##*/}
  case $name in build*) continue ;; esac
  [ -e "$entry" ] && ln -s "$entry" "$work/clone/$name"
done
ln -s "$build" "$work/clone/build"
[ ! -f "$firmware" ] || cp -p "$firmware" "$work/firmware.saved"
rm -f "$firmware"

# The road in a session of its own, so that everything it starts is stopped with it.
(
  cd "$work/clone"
  BUILD_DIR=$build BUILD_TYPE=$build_type QT_QPA_PLATFORM=offscreen exec setsid sh -e "$work/road.sh"
) >"$work/road.log" 2>&1 &
pid=$!

# Each command has done its part once the simulator listens on the parameter file's port, the
# firmware is in place and the configurator, started last, runs. At most 300 seconds.
tries=0
until grep -q 'listening on 127.0.0.1:2008' "$work/road.log" && [ -f "$firmware" ] \
  && [ "$(wc -c <"$firmware")" -eq 20000 ] && pgrep -s "$pid" -x SW61942 >/dev/null; do
  kill -0 "$pid" 2>/dev/null || fail "the road ended before the configurator ran"
  tries=$((tries + 1))
  [ "$tries" -le 3000 ] || fail "the road did not reach the configurator within 300 seconds"
  sleep 0.1
done
# The configurator keeps running: it found its workspace and raised no error that ends it.
sleep 2
pgrep -s "$pid" -x SW61942 >/dev/null || fail "the configurator ended by itself"

# Stopping the simulator writes its dump into the clone.
kill -TERM "-$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
pid=
tries=0
until [ -f "$work/clone/device.txt" ]; do
  tries=$((tries + 1))
  [ "$tries" -le 50 ] || fail "the simulator wrote no device.txt when stopped"
  sleep 0.1
done
echo "PASS: README's road"
