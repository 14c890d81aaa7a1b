#!/bin/sh
# make-man-page.sh HELP2MAN PROGRAM INCLUDE OUTPUT [VERSION]
# Writes the manual page of PROGRAM from its own --help (and --version, or VERSION for a
# program that has none) with help2man, adding the sections of the include file. When
# the help lists "Commands:", a COMMANDS section tells each command's own --help: its
# usage, what it does and its options (those of every command are in the page already).
set -eu
help2man=$1 program=$2 include=$3 output=$4 version=${5:-}
work=$output.parts
mkdir -p "$work"

set -- --include="$include"
if [ -n "$version" ]; then
  set -- "$@" --version-string="$version"
fi

"$program" --help >"$work/help"
if grep -q '^Commands:$' "$work/help"; then
  echo '[COMMANDS]' >"$work/commands.h2m"
  for command in $(awk '/^Commands:$/ { on = 1; next } on && /^$/ { exit } on && /^  [^ ]/ { print $1 }' \
                     "$work/help"); do
    "$program" "$command" --help | awk -v program="$(basename "$program")" '
      function roff(text) {
        gsub(/\\/, "\\e", text)
        gsub(/-/, "\\-", text)
        return text
      }
      # A line may not start as a request, nor as the heading of an include file.
      function line(text) {
        if (text ~ /^[.'\''[\/]/) {
          text = "\\&" text
        }
        print text
      }
      function fill() {
        if (!filled) {
          print ".fi"
          filled = 1
        }
      }
      BEGIN { filled = 1 }
      /^Options of every command:/ { exit }
      NR == 1 {
        sub(/^Usage: /, "")
        print ".SS \"" roff($0) "\""
        next
      }
      /^$/ { fill(); print ".PP"; next }
      /^Options of .*:$/ { fill(); print ".B " roff($0); next }
      /^  (-[A-Za-z0-9], )?--[A-Za-z0-9-]+/ {
        fill()
        match($0, /^  (-[A-Za-z0-9], )?--[A-Za-z0-9-]+/)
        names = substr($0, 3, RLENGTH - 2)
        rest = substr($0, RLENGTH + 1)
        value = ""
        if (rest ~ /^ [^ ]/) {
          value = rest
          sub(/^ /, "", value)
          sub(/ .*/, "", value)
          rest = substr(rest, length(value) + 2)
        }
        sub(/^ +/, "", rest)
        print ".TP"
        print "\\fB" roff(names) "\\fR" (value == "" ? "" : " \\fI" roff(value) "\\fR")
        # A wide option has its text on the next line.
        if (rest == "" && (getline rest) > 0) {
          sub(/^ +/, "", rest)
        }
        line(roff(rest))
        next
      }
      /^ / {
        if (filled) {
          print ".nf"
          filled = 0
        }
        line(roff($0))
        next
      }
      { fill(); line(roff($0)) }
      END { fill() }
    ' >>"$work/commands.h2m"
  done
  set -- "$@" --include="$work/commands.h2m"
fi

"$help2man" --no-info --section=1 --manual="User Commands" "$@" --output="$output" "$program"
rm -rf "$work"
