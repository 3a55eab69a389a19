#!/bin/sh
# Installs the build into a temporary folder and checks the program folder it makes: the files it
# holds, the programs starting from it, and the menu entry that add-to-menu writes for it.
#   tst_Install.sh CMAKE BUILD_DIR SOURCE_DIR
set -eu
cmake=$1
build=$2
source=$3

work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf -- "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A blank in the folder name, as in many home folders, must survive into the menu entry.
prefix="$work/Program Folder"
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" || {
  cat "$work/install.log" >&2
  fail "cmake --install failed"
}

# Exactly these files: the programs, the icon, the menu entry template with its script, the
# licences, manual pages and AppStream description, and every shipped language file and flag.
{
  printf '%s\n' SW61942 sw61942-image Ethernet_Update sw61942.svg sw61942.desktop add-to-menu
  printf '%s\n' LICENSE THIRD-PARTY-NOTICES share/metainfo/com.quorvex.sw61942.metainfo.xml
  printf 'share/man/man1/%s.1\n' SW61942 sw61942-image Ethernet_Update
  (cd "$source/resources/LANGUAGE" && find . -type f | sed 's|^\./|LANGUAGE/|')
} | sort >"$work/expected"
(cd "$prefix" && find . -type f | sed 's|^\./||') | sort >"$work/actual"
diff "$work/expected" "$work/actual" >&2 || fail "installed files differ from the expected list (< expected, > installed)"
for program in SW61942 sw61942-image Ethernet_Update add-to-menu; do
  [ -x "$prefix/$program" ] || fail "$program is not executable"
done

# The tools run from the folder (no library is looked for in the build tree).
"$prefix/sw61942-image" --version >/dev/null || fail "sw61942-image --version failed"

# The configurator starts from the folder and makes its workspace beside itself. Its default
# settings keep it off the internet; it is stopped once the folders exist, or after 10 seconds.
QT_QPA_PLATFORM=offscreen "$prefix/SW61942" >"$work/program.log" 2>&1 &
pid=$!
tries=0
until [ -d "$prefix/MASTER" ] && [ -d "$prefix/PROJECTS" ]; do
  kill -0 "$pid" 2>/dev/null || {
    cat "$work/program.log" >&2
    fail "SW61942 ended before it made MASTER and PROJECTS"
  }
  tries=$((tries + 1))
  [ "$tries" -le 100 ] || fail "SW61942 made no MASTER and PROJECTS within 10 seconds"
  sleep 0.1
done
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=

# The menu entry names the program and icon of this folder by absolute path, Exec quoted.
export XDG_DATA_HOME="$work/data"
"$prefix/add-to-menu" >/dev/null || fail "add-to-menu failed"
entry="$XDG_DATA_HOME/applications/sw61942.desktop"
[ -f "$entry" ] || fail "add-to-menu wrote no $entry"
for line in "Exec=\"$prefix/SW61942\"" "TryExec=$prefix/SW61942" "Icon=$prefix/sw61942.svg" "Path=$prefix"; do
  grep -qxF "$line" "$entry" || fail "the menu entry lacks the line: $line"
done
command -v desktop-file-validate >/dev/null || fail "desktop-file-validate is missing; scripts/install-deps installs it"
desktop-file-validate "$entry" || fail "the menu entry is not a valid desktop entry"
"$prefix/add-to-menu" --remove >/dev/null || fail "add-to-menu --remove failed"
[ ! -e "$entry" ] || fail "add-to-menu --remove left $entry"

echo "PASS: installed program folder"
