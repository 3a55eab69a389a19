#!/bin/sh
# Runs the commands of README's "Try the whole road" (the fenced block after "<!-- road -->") in
# order, as they stand there, from a folder laid out like a fresh clone. Its build folder is the
# build under test, so the road's own build command runs but finds everything built; the
# configurator runs offscreen and is stopped once it has started. Then the examples that README
# says run after the road (each fenced block after "<!-- after the road -->"), in order, on the
# project the road makes in the configurator; and ./run once more without a display, where it
# starts the configurator under Xvfb, names a command that saves a picture of the display, and
# ends with Ctrl+C, leaving nothing behind.
#   tst_ReadmeRoad.sh SOURCE_DIR BUILD_DIR
set -eu
source=$(cd "$1" && pwd -P)
build=$(cd "$2" && pwd -P)

work=$(mktemp -d)
pid=
xvfb_pid=
firmware=$build/bin/MASTER/Sim61942.sim
cleanup() {
  if [ -n "$pid" ]; then kill -TERM "-$pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill -TERM "-$xvfb_pid" 2>/dev/null || true; fi
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
! grep -q XDG_RUNTIME_DIR "$work/road.log" || fail "the configurator started by ./run warned about XDG_RUNTIME_DIR"

# The examples after the road, in a folder of their own laid out like the clone, so that the
# build's own workspace is not touched: its programs, and the project Plant1 as the road leaves
# it (made in step 1, a variable in step 4, its image built at step 5).
awk '/^<!-- after the road -->$/ { m = 1; next }
     m == 1 && /^```/ { m = 2; next }
     m == 2 && /^```/ { m = 0; next }
     m == 2 { print }' "$source/README.md" >"$work/examples.sh"
[ -s "$work/examples.sh" ] || fail "README has no command block after <!-- after the road -->"
after=$work/after
mkdir -p "$after/build/bin/PROJECTS/Plant1"
for program in SW61942 sw61942-image Ethernet_Update; do
  ln -s "$build/bin/$program" "$after/build/bin/$program"
done
printf 'Enable,Name,Type,Length,ReadOnly,Position,StartBit,Conversion,MultiplicationFactor,Swap,SwapWord,Mnemonic\r\n' >"$work/plant1.csv"
printf 'Y,LD0/MMXU1.TotW.mag.f,Float,4,Y,0,0,None,1,N,N,Power\r\n' >>"$work/plant1.csv"
(
  cd "$after"
  build/bin/sw61942-image --import-variables build/bin/PROJECTS/Plant1 "$work/plant1.csv" \
    && build/bin/sw61942-image build/bin/PROJECTS/Plant1
) >"$work/fixture.log" 2>&1 || fail "the project of the road could not be made: $(cat "$work/fixture.log")"
# Each line ends as README says it may: --diff with 0 (equal) or 1 (differ), --check with 0 or 3
# (warnings only), everything else with 0.
while IFS= read -r line; do
  case $line in '' | '#'*) continue ;; esac
  status=0
  (cd "$after" && sh -c "$line") >"$work/example.log" 2>&1 || status=$?
  case $status:$line in
    0:* | 1:*--diff* | 3:*--check*) ;;
    *) fail "README's example \"$line\" ended with status $status: $(cat "$work/example.log")" ;;
  esac
  cat "$work/example.log" >>"$work/examples.log"
done <"$work/examples.sh"
for file in points.csv Plant1.pdf Plant1.html archive/plant1-2025/bank1.bin build/bin/PROJECTS/Plant2/bin/bank2.bin \
  build/bin/PROJECTS/Plant1-recovered/IEC61850_Variables.xml; do
  [ -f "$after/$file" ] || fail "README's examples made no $file"
done
# Counts are said in the number that fits.
grep -q ': 1 variable, 0 known certificates$' "$work/examples.log" || fail "--decode does not count its one variable as such: $(cat "$work/examples.log")"

# ./run without a display: the configurator under Xvfb, a picture of it taken as ./run says, and
# Ctrl+C (SIGINT to ./run's process group) ending it all. Its private folders go to $work/tmp.
mkdir "$work/tmp"
(
  cd "$work/clone"
  exec env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR TMPDIR="$work/tmp" \
    BUILD_DIR="$build" BUILD_TYPE="$build_type" setsid ./run
) >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
tries=0
until grep -q 'xwd -root' "$work/xvfb.log" && pgrep -s "$xvfb_pid" -x SW61942 >/dev/null; do
  kill -0 "$xvfb_pid" 2>/dev/null || fail "./run ended before the configurator ran under Xvfb: $(cat "$work/xvfb.log")"
  tries=$((tries + 1))
  [ "$tries" -le 1200 ] || fail "./run did not start the configurator under Xvfb within 120 seconds: $(cat "$work/xvfb.log")"
  sleep 0.1
done
sleep 2
set -- "$work"/tmp/sw61942-run.*
[ $# -eq 1 ] && [ -d "$1" ] && [ "$(stat -c %a "$1")" = 700 ] || fail "./run made no private runtime folder of mode 0700: $*"
picture=$(sed -n 's/^ *\(DISPLAY=.* xwd -root .*\)>window\.png$/\1/p' "$work/xvfb.log")
[ -n "$picture" ] || fail "./run names no command that saves a picture: $(cat "$work/xvfb.log")"
(cd "$work" && sh -c "$picture" >"$work/window.png") || fail "the picture command failed: $picture"
[ "$(head -c 4 "$work/window.png" | tail -c 3)" = PNG ] || fail "the picture command made no PNG"
[ "$(wc -c <"$work/window.png")" -gt 1000 ] || fail "the picture of the display is empty"
kill -INT "-$xvfb_pid" 2>/dev/null || true
# Ended processes whose parent has gone may wait a while to be collected; they are not counted.
tries=0
while ps -o stat= -s "$xvfb_pid" | grep -qv '^Z'; do
  tries=$((tries + 1))
  [ "$tries" -le 100 ] || fail "Ctrl+C left a program of ./run running: $(ps -o pid=,stat=,args= -s "$xvfb_pid")"
  sleep 0.1
done
wait "$xvfb_pid" 2>/dev/null || true
xvfb_pid=
[ -z "$(ls -A "$work/tmp")" ] || fail "./run left files behind: $(ls -A "$work/tmp")"
! grep -q XDG_RUNTIME_DIR "$work/xvfb.log" || fail "the configurator under Xvfb warned about XDG_RUNTIME_DIR"
echo "PASS: README's road"
