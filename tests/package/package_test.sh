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
