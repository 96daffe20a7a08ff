#!/usr/bin/env bash
# One installer package through its life in a fresh prefix of its own:
#   package_test.sh x64|x86 <repository> <work directory>
# install, what programs of each architecture then find, repair, a second
# install of the same version, the virtual cameras feature with the
# registry as the deliverables' own registration writes it and (x64) Tessera
# from the installed folder, uninstall against the registry as it was,
# a newer version over an older one, and (x86) the x64 package refused on
# 32-bit Windows. Prints each step; exit status 1 on the first failure.
set -uo pipefail
arch=$1 root=$2 work=$(realpath -m "$3")
rows=$root/installer/registry_rows.py
version=$(sed -n 's/.*BuildVersion = "\(.*\)".*/\1/p' "$root/build/win64/Product.wxi")
name=$(sed -n 's/.*ProductName = "\(.*\)".*/\1/p' "$root/build/win64/Product.wxi")
package=$root/build/packages/ZkvCameraSupport-$version-$arch.msi
# Both packages hold 32-bit programs, whose registration scripts/package runs.
source "$root/scripts/wine-host"
if [ "$ZKV_HOST_RUNS_WIN32" = 0 ]; then
  echo "SKIP: this host runs 64-bit code only: no package was built"
  exit 77
fi
[ -f "$package" ] || { echo "FAIL: no $package (scripts/package builds it)"; exit 1; }

rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX=$work/prefix WINEDEBUG=-all
unset WINEARCH
[ "$arch" = x86 ] && export WINEARCH=win32
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

fail() { echo "FAIL: $*"; exit 1; }
step() { echo "== $*"; }
# The machine registry as the prefix's server last wrote it.
snapshot() { wineserver -w; cp "$WINEPREFIX/system.reg" "$work/$1.reg" || fail "no registry in $WINEPREFIX"; }
# Exit statuses are the installer's error codes modulo 256.
msiexec_qn() { wine msiexec "$@" /qn >/dev/null 2>&1; }
entries() { snapshot entries; python3 "$rows" products "$work/entries.reg" "$name"; }
expect_one_entry() {
  local found
  found=$(entries)
  [ "$(printf '%s\n' "$found" | grep -c .)" = 1 ] || fail "$1: uninstall entries: ${found:-none}"
  printf '%s\n' "$found" | grep -q " $2\$" || fail "$1: entry is not version $2: $found"
}
if [ "$arch" = x64 ]; then
  clients=("$root/build/win64/bin" "$root/build/win32/bin")
  program_files='C:\Program Files'
else
  clients=("$root/build/win32/bin")
  program_files='C:\Program Files'
fi
installdir="$program_files\\ZKV\\IIDC Camera Support"
checks() {  # checks 1|0: what each architecture's client finds
  for bin in "${clients[@]}"; do
    ZKV_EXPECT_INSTALLED=$1 wine "$bin/installed_checks.exe" >"$work/checks.log" 2>&1 ||
      { cat "$work/checks.log"; fail "checks ($1) from $bin"; }
  done
}
drivers_key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32'
views=(/reg:64)
[ "$arch" = x64 ] && views+=(/reg:32)
[ "$arch" = x86 ] && views=(/reg:32)

wineboot -i >/dev/null 2>&1
# The Wine settings of the other tests' prefix (scripts/wine-prefix): Tessera
# creates its camera windows on three threads at once, which with an X input
# method corrupts the X client's heap now and then; message boxes appear at
# once only with unmanaged windows. Both are the user's, outside the machine
# registry that the steps below compare.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || fail "setting Managed"
wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXIM /d N /f >/dev/null 2>&1 || fail "setting UseXIM"
snapshot before

step "install $(basename "$package")"
msiexec_qn /i "$package" || fail "msiexec /i exited $?"
checks 1
expect_one_entry install "$version"
snapshot installed

step "repair restores deleted codec values"
for view in "${views[@]}"; do
  for v in vidc.ZKVC vidc.RGB3; do
    wine reg delete "$drivers_key" /v "$v" /f "$view" >/dev/null 2>&1 || fail "reg delete $v $view"
  done
done
# What msiexec /famus sets; Wine 8's msiexec /f itself fails before it reaches
# the package (1605, unknown product, with a package path).
msiexec_qn /i "$package" REINSTALL=ALL REINSTALLMODE=amus || fail "repair exited $?"
for view in "${views[@]}"; do
  for v in vidc.ZKVC vidc.RGB3; do
    wine reg query "$drivers_key" /v "$v" "$view" >/dev/null 2>&1 || fail "repair did not restore $v $view"
  done
done
checks 1

step "the same version again"
msiexec_qn /i "$package" || fail "second msiexec /i exited $?"
expect_one_entry "same version twice" "$version"

step "virtual cameras feature, the registry as the registration writes it"
msiexec_qn /i "$package" ADDLOCAL=ALL || fail "msiexec ADDLOCAL=ALL exited $?"
snapshot installed
grep -q "ZKV Virtual IIDC Camera 3" "$work/installed.reg" || fail "no third virtual camera"
# Every key, and every value with its type and bytes (module paths by file
# name), as regsvr32 and BrisalSetup wrote them where scripts/package
# harvested the rows.
harvested=$root/build/packages/rows
flock "$root/build/packages/.lock" python3 "$rows" matches "$harvested/clean.reg" \
  "$harvested/registered.reg" "$work/installed.reg" "$([ "$arch" = x64 ] && echo 64 || echo 32)" ||
  fail "the installed registry differs from the deliverables' registration (above)"

if [ "$arch" = x64 ]; then
  step "Tessera from the installed folder"
  ZKV_BIN_DIR="$installdir" wine "$root/build/win64/bin/viewer_camera_test.exe" \
    --gtest_filter='ViewerWithCameras.EachCameraHas*' >"$work/viewer.log" 2>&1 ||
    { cat "$work/viewer.log"; fail "Tessera with the installed cameras"; }
fi

step "uninstall"
msiexec_qn /x "$package" || fail "msiexec /x exited $?"
checks 0
snapshot after
python3 "$rows" leftovers "$work/before.reg" "$work/installed.reg" "$work/after.reg" ||
  fail "the uninstall left registry content of the install (above)"
left=$(find "$WINEPREFIX/drive_c" \( -iname 'Brisal*.dll' -o -iname 'Orvane.ax' -o -iname 'Tessera*' \
  -o -iname 'ZkvVirtualCamera.ax' -o -path '*/ZKV*' \) -not -path '*/windows/Installer/*' 2>/dev/null)
[ -z "$left" ] || fail "files left: $left"
[ -z "$(entries)" ] || fail "an uninstall entry is left"

step "a newer version over an older one"
"$root/scripts/package" --version 0.9.0 --out "$work/old" >/dev/null || fail "building 0.9.0"
msiexec_qn /i "$work/old/ZkvCameraSupport-0.9.0-$arch.msi" || fail "installing 0.9.0 exited $?"
expect_one_entry "0.9.0" 0.9.0
msiexec_qn /i "$package" || fail "installing $version over 0.9.0 exited $?"
expect_one_entry "upgrade" "$version"
checks 1
msiexec_qn /x "$package" || fail "msiexec /x after the upgrade exited $?"
[ -z "$(entries)" ] || fail "an uninstall entry is left after the upgrade"

if [ "$arch" = x64 ]; then
  # Files in use stay behind under Wine (its installer neither deletes them
  # nor schedules them for a restart); the registration must go all the same.
  step "uninstall while Tessera runs"
  msiexec_qn /i "$package" ADDLOCAL=ALL || fail "msiexec ADDLOCAL=ALL exited $?"
  wine "$installdir\\Tessera.exe" >/dev/null 2>&1 &
  viewer=$!
  sleep 5
  msiexec_qn /x "$package" || fail "msiexec /x with Tessera running exited $?"
  # The launcher's process is Tessera's own.
  kill "$viewer" 2>/dev/null
  wait "$viewer" 2>/dev/null
  snapshot after
  python3 "$rows" leftovers "$work/before.reg" "$work/installed.reg" "$work/after.reg" ||
    fail "the uninstall beside a running Tessera left registry content (above)"
  [ -z "$(entries)" ] || fail "an uninstall entry is left beside a running Tessera"
fi

if [ "$arch" = x86 ]; then
  step "the x64 package on 32-bit Windows"
  other=$root/build/packages/ZkvCameraSupport-$version-x64.msi
  msiexec_qn /i "$other"
  status=$?
  # 1633, platform unsupported; a Unix exit status keeps its low byte.
  [ "$status" = $((1633 % 256)) ] || fail "msiexec /i of the x64 package exited $status, not 1633 (platform unsupported)"
  [ -z "$(entries)" ] || fail "the refused package left an uninstall entry"
fi
echo "PASS"
