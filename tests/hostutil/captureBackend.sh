#!/bin/sh
# CUPS backend for the tests: appends each job's bytes, unchanged, to the file
# named by the device URI "capture:<path>".
if [ $# -eq 0 ]; then
  echo 'direct capture "Unknown" "File capture for tests"'
  exit 0
fi
target=${DEVICE_URI#capture:}
if [ $# -ge 6 ]; then
  cat "$6" >>"$target"
else
  cat >>"$target"
fi
