#!/bin/sh
# Checks a file the package installs with the tool a distribution checks it with; exit status 77
# (reported as skipped) where that tool is not installed. Usage: validate.sh desktop|metainfo|man FILE
set -u
case $1 in
desktop) command -v desktop-file-validate >/dev/null || exit 77; exec desktop-file-validate "$2" ;;
metainfo) command -v appstreamcli >/dev/null || exit 77; exec appstreamcli validate --no-net "$2" ;;
man)
  command -v man >/dev/null || exit 77
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$2" 2>&1 >/dev/null)
  [ -z "$out" ] || { echo "$out"; exit 1; } ;;
*) echo "validate.sh: unknown kind $1" >&2; exit 2 ;;
esac
