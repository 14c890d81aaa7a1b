#!/bin/sh
# Stands in for the firmware update tool: writes each argument it was given on a line of
# its own to the file named by VOREL_RECORDED_ARGUMENTS.
for argument in "$@"; do
    printf '%s\n' "$argument"
done > "$VOREL_RECORDED_ARGUMENTS.part"
mv "$VOREL_RECORDED_ARGUMENTS.part" "$VOREL_RECORDED_ARGUMENTS"
