#!/bin/sh
# Checks the files that describe the program to the desktop and to package tools: the menu entry,
# the AppStream description and the manual pages, with the validators that distributions use.
#   tst_PackagingFiles.sh SOURCE_DIR BUILD_DIR
set -eu
source=$1
build=$2
failed=0
fail() {
  echo "FAIL: $*" >&2
  failed=1
}

for tool in desktop-file-validate appstreamcli groff; do
  command -v "$tool" >/dev/null || {
    echo "FAIL: $tool is missing; scripts/install-deps installs it" >&2
    exit 1
  }
done

entry=$source/packaging/sw61942.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate refuses $entry"
# The menu shows the entry in each shipped language and finds it by keywords.
for key in Name GenericName Comment Keywords; do
  grep -q "^$key=" "$entry" || fail "$entry has no $key"
  for lang in de es fr it; do
    grep -q "^$key\[$lang\]=" "$entry" || fail "$entry has no $key[$lang]"
  done
done

metainfo=$build/packaging/com.quorvex.sw61942.metainfo.xml
[ -f "$metainfo" ] || fail "no $metainfo"
# --no-net: the addresses it names are not fetched. --strict fails on warnings too.
appstreamcli validate --no-net --strict "$metainfo" || fail "appstreamcli refuses $metainfo"

# A manual page for every installed program, which groff formats without a warning.
for program in SW61942 sw61942-image Ethernet_Update; do
  page=$build/packaging/man/man1/$program.1
  if [ ! -f "$page" ]; then
    fail "no manual page $page"
    continue
  fi
  warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
  [ -z "$warnings" ] || fail "groff warns about $page: $warnings"
done

[ "$failed" -eq 0 ] || exit 1
echo "PASS: packaging files"
