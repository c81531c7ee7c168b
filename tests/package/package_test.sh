#!/usr/bin/env bash
# Builds the Debian packages, unpacks them into a temporary root and checks
# that they hold what they promise, pass lintian without errors, render their
# manual pages, and that the unpacked tool downloads from the simulator.
set -euo pipefail
root=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

# The package build sits beside the main build, so the compiler cache serves it.
build=$root/build-pkg
bash "$root/scripts/package" "$build" > "$work/package.log" 2>&1 || { cat "$work/package.log"; fail "scripts/package"; }
debs=("$build"/packages/*.deb)
((${#debs[@]} >= 2)) || fail "expected at least the tool and host library packages, got ${debs[*]}"

lintian --tag-display-limit 0 "${debs[@]}" > "$work/lintian.txt" 2>&1 || true
if grep -q '^E: ' "$work/lintian.txt"; then cat "$work/lintian.txt"; fail "lintian errors"; fi

tree=$work/root
for deb in "${debs[@]}"; do dpkg-deb -x "$deb" "$tree"; done

promised=(
  usr/bin/Cmdv32 usr/bin/vornsim
  usr/lib/cmdvorn/Cmdv32 usr/lib/cmdvorn/vornsim usr/lib/cmdvorn/cmdvorn.prm
  etc/cmdvorn/cmdvorn.prm
  usr/share/man/man1/Cmdv32.1.gz usr/share/man/man1/vornsim.1.gz usr/share/man/man3/MIRTADLL.3.gz
  usr/share/doc/cmdvorn/copyright usr/share/doc/cmdvorn/examples/cmdvorn.prm
  usr/share/doc/cmdvorn/examples/systemd/cmdvorn-download.service
  usr/share/doc/cmdvorn/examples/systemd/cmdvorn-download.timer
  usr/lib/x86_64-linux-gnu/libMIRTADLL.so usr/include/cmdvorn/mirtadll.h
  usr/lib/x86_64-linux-gnu/pkgconfig/mirtadll.pc
)
# Products join the package when their build exists.
[[ -f $build/bin/Wcmdv32 ]] &&
  promised+=(usr/bin/Wcmdv32 usr/lib/cmdvorn/Wcmdv32 usr/share/man/man1/Wcmdv32.1.gz)
[[ -f $build/bin/libwqzcom.so ]] &&
  promised+=(usr/lib/x86_64-linux-gnu/libwqzcom.so usr/include/cmdvorn/wqzcom.h
             usr/lib/x86_64-linux-gnu/pkgconfig/wqzcom.pc usr/share/man/man3/QZCom.3.gz
             usr/share/man/man3/Qzcom.3.gz)
[[ -f $build/bin/libRLX40C.so ]] && promised+=(usr/lib/cmdvorn/libRLX40C.so)
for f in "${promised[@]}"; do
  [[ -e $tree/$f || -L $tree/$f ]] || fail "missing $f"
done
[[ $(readlink "$tree/usr/lib/cmdvorn/cmdvorn.prm") == /etc/cmdvorn/cmdvorn.prm ]] || fail "parameter file link"
dpkg-deb -f "$build"/packages/cmdvorn_*.deb Depends | grep -qi qt && fail "the console package must not need Qt"
dpkg-deb -I "$build"/packages/cmdvorn_*.deb conffiles | grep -qx /etc/cmdvorn/cmdvorn.prm || fail "conffile"

# The nightly units run unprivileged: the parameter file, which holds the
# modem password, is for root and the units' group only, and the package
# makes that user and group.
listing=$(dpkg-deb -c "$build"/packages/cmdvorn_*.deb)
grep -qE '^-rw-r----- root/root .* \./etc/cmdvorn/cmdvorn\.prm$' <<< "$listing" ||
  fail "parameter file mode: $(grep 'etc/cmdvorn/cmdvorn.prm' <<< "$listing")"
[[ -f $tree/usr/lib/sysusers.d/cmdvorn.conf ]] || fail "missing usr/lib/sysusers.d/cmdvorn.conf"
units=$tree/usr/share/doc/cmdvorn/examples/systemd
for f in cmdvorn-download.service cmdvorn-download.timer cmdvorn-failed@.service cmdvorn-timesync.service \
         cmdvorn-timesync.timer; do
  [[ -f $units/$f ]] || fail "missing example unit $f"
done
for line in User=cmdvorn SupplementaryGroups=dialout StateDirectory=cmdvorn StateDirectoryMode=0750 UMask=0027 \
            NoNewPrivileges=yes ProtectSystem=strict ProtectHome=yes PrivateTmp=yes \
            "RestrictAddressFamilies=AF_UNIX AF_INET AF_INET6" DevicePolicy=closed "DeviceAllow=char-ttyS rw" \
            "DeviceAllow=char-ttyUSB rw" "DeviceAllow=char-ttyACM rw" CMDVORN_STRICT_EXIT=1; do
  for unit in cmdvorn-download.service cmdvorn-timesync.service; do
    grep -qF -- "$line" "$units/$unit" || fail "$unit lacks $line"
  done
done
# The download holds no capability; setting the clock is the time unit's alone.
grep -qx 'CapabilityBoundingSet=' "$units/cmdvorn-download.service" || fail "download unit keeps capabilities"
grep -q 'CAP_SYS_TIME' "$units/cmdvorn-download.service" && fail "download unit may set the clock"
grep -q -- '-syncg' "$units/cmdvorn-download.service" && fail "download unit sets the clock"
grep -qx 'CapabilityBoundingSet=CAP_SYS_TIME' "$units/cmdvorn-timesync.service" || fail "time unit's capabilities"
grep -qx 'AmbientCapabilities=CAP_SYS_TIME' "$units/cmdvorn-timesync.service" || fail "time unit's ambient capability"
grep -q 'OnFailure=cmdvorn-failed@' "$units/cmdvorn-download.service" || fail "download unit reports no failed night"

# The maintainer script, run on a copy of this machine's user database in
# the unpacked root: the user exists, is in dialout, and the parameter file
# is 0640 root:cmdvorn.
if command -v systemd-sysusers > /dev/null && [[ $(id -u) == 0 ]]; then
  cp /etc/passwd /etc/group "$tree/etc/"
  dpkg-deb -e "$build"/packages/cmdvorn_*.deb "$work/control"
  DPKG_ROOT=$tree sh "$work/control/postinst" configure > "$work/postinst.log" 2>&1 ||
    { cat "$work/postinst.log"; fail "postinst"; }
  grep -q '^cmdvorn:' "$tree/etc/passwd" || fail "no user cmdvorn"
  grep -qE '^dialout:[^:]*:[0-9]+:(.*,)?cmdvorn(,|$)' "$tree/etc/group" || fail "cmdvorn is not in dialout"
  gid=$(awk -F: '$1 == "cmdvorn" { print $3 }' "$tree/etc/group")
  [[ -n $gid ]] || fail "no group cmdvorn"
  [[ $(stat -c '%a %u %g' "$tree/etc/cmdvorn/cmdvorn.prm") == "640 0 $gid" ]] ||
    fail "parameter file after postinst: $(stat -c '%a %u %g' "$tree/etc/cmdvorn/cmdvorn.prm"), want 640 0 $gid"
  DPKG_ROOT=$tree sh "$work/control/postinst" configure > "$work/postinst.log" 2>&1 ||
    { cat "$work/postinst.log"; fail "postinst run again"; }
  (( $(grep -c '^cmdvorn:' "$tree/etc/passwd") == 1 )) || fail "postinst run again made a second user"
fi

# The units pass systemd's own checks (the tool's path pointed into this
# root), and their exposure stays at or below 3.0 (1.7 for the download and
# 2.3 for the time unit when written).
if command -v systemd-analyze > /dev/null; then
  check=$work/units
  mkdir -p "$check"
  for unit in "$units"/cmdvorn-*; do
    sed "s|/usr/bin/Cmdv32|$tree/usr/bin/Cmdv32|" "$unit" > "$check/$(basename "$unit")"
  done
  (cd "$check" && systemd-analyze verify ./cmdvorn-download.service ./cmdvorn-download.timer \
     ./cmdvorn-failed@.service ./cmdvorn-timesync.service ./cmdvorn-timesync.timer) > "$work/verify.txt" 2>&1 ||
    { cat "$work/verify.txt"; fail "systemd-analyze verify"; }
  if [[ -s $work/verify.txt ]]; then cat "$work/verify.txt"; fail "systemd-analyze verify warned"; fi
  for unit in cmdvorn-download.service cmdvorn-timesync.service; do
    systemd-analyze security --offline=yes "$check/$unit" > "$work/security.txt" 2>&1 || continue
    exposure=$(sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p' "$work/security.txt")
    awk -v e="$exposure" 'BEGIN { exit !(e != "" && e + 0 <= 3.0) }' || fail "$unit exposure ${exposure:-unknown} above 3.0"
    echo "$unit exposure $exposure"
  done
fi

# Every manual page renders; links between pages resolve from the manual's root.
(cd "$tree/usr/share/man" && for page in man*/*.gz; do
  man -l "$page" > /dev/null 2> "$work/man.err" || fail "man -l $page"
  if [[ -s $work/man.err ]]; then cat "$work/man.err"; fail "man -l $page warned"; fi
done)

version=$("$tree/usr/bin/Cmdv32" --version)
[[ $version == *1.0.0.0* ]] || fail "Cmdv32 --version printed: $version"

# A download with the unpacked tool: its parameter file comes through the
# link into etc, pointed at this root instead of the machine's /etc.
"$tree/usr/bin/vornsim" --terminal 1:VORN3 --terminal 2:VORN-L --tcp 0:1,2 --records 7 > "$work/sim.out" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 300); do grep -q '^READY' "$work/sim.out" && break; sleep 0.1; done
port=$(awk '$1=="TCP"{print $2}' "$work/sim.out")
[[ -n $port ]] || fail "simulator did not start"
awk '/^\[/{keep = ($0 !~ /^\[Terminal 3 /)} keep' "$tree/etc/cmdvorn/cmdvorn.prm" |
  sed -e "s|127.0.0.1:3000|127.0.0.1:$port|" > "$tree/etc/cmdvorn/cmdvorn.prm.new"
mv "$tree/etc/cmdvorn/cmdvorn.prm.new" "$tree/etc/cmdvorn/cmdvorn.prm"
ln -sfn ../../../etc/cmdvorn/cmdvorn.prm "$tree/usr/lib/cmdvorn/cmdvorn.prm"
mkdir -p "$work/data"
(cd "$work/data" && "$tree/usr/bin/Cmdv32" -r) || fail "Cmdv32 -r exit code $?"
[[ $(cat "$work/data/RIDUVA.RET") == 00014 ]] || fail "RIDUVA.RET holds $(cat "$work/data/RIDUVA.RET")"
echo "package test passed"
