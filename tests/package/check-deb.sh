#!/bin/sh
# Makes the Debian package of a build with cpack in a scratch folder, checks its control
# fields, file list and post-install step with dpkg-deb, then unpacks it and runs the
# unpacked tazu-doctor over a demo install laid out by the unpacked tazu-demo-install.
#
# usage: check-deb.sh BUILD_DIR VERSION PROGRAM...
# Exit 77 (skipped) when cpack or the dpkg tools are not there, unless CI is set.
set -eu

build=$1
version=$2
shift 2

. "$(dirname "$0")/../missing-package.sh"
tazu_require cpack dpkg-deb dpkg-shlibdeps

work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack did not make the package"
fi
deb=$(ls "$work"/out/pelkor-tazu_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no pelkor-tazu_*.deb in $(ls "$work/out")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = pelkor-tazu ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Section)" = education ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
for needed in fluid-soundfont-gm fonts-liberation2 fonts-urw-base35 libc6 libjpeg; do
  case "$depends" in
    *"$needed"*) ;;
    *) fail "Depends lacks $needed: $depends" ;;
  esac
done

dpkg-deb -c "$deb" >"$work/files"
has_file() {
  grep -q " \./$1\$" "$work/files" || fail "package lacks /$1"
}
is_program() {
  grep " \./$1\$" "$work/files" | grep -q '^-rwxr-xr-x' || fail "/$1 is not an executable file"
}
for program in "$@"; do
  is_program "usr/bin/$program"
done
has_file usr/share/doc/pelkor-tazu/README.md
case " $* " in
  *" pelkor-tazu "*)
    is_program usr/bin/system/sndvol32.exe
    # The kiosk session: its program, settings kept over upgrades, login-screen entries.
    is_program usr/bin/pelkor-tazu-kiosk
    has_file etc/pelkor-tazu/kiosk.conf
    has_file usr/share/wayland-sessions/pelkor-tazu.desktop
    has_file usr/share/xsessions/pelkor-tazu.desktop
    case "$(field Recommends)" in
      *cage*xwayland*) ;;
      *) fail "Recommends lacks cage and xwayland: $(field Recommends)" ;;
    esac
    ;;
esac

# The post-install step: a shared roster folder (1777) with an empty roster every account
# may write (0666), made under a scratch root; run again (an upgrade), it keeps the
# learners; a link planted in the roster's place is never followed.
dpkg-deb -e "$deb" "$work/control"
[ -x "$work/control/postinst" ] || fail "no executable postinst"
case " $* " in
  *" pelkor-tazu "*) grep -qx /etc/pelkor-tazu/kiosk.conf "$work/control/conffiles" ||
    fail "kiosk.conf is not a conffile" ;;
esac
mode() { stat -c %a "$1"; }
shared="$work/target/var/lib/pelkor-tazu"
DPKG_ROOT="$work/target" sh "$work/control/postinst" configure || fail "postinst failed"
[ "$(mode "$shared")" = 1777 ] || fail "the roster folder has mode $(mode "$shared"), not 1777"
[ -f "$shared/tazu_students.dat" ] && [ ! -s "$shared/tazu_students.dat" ] ||
  fail "no empty tazu_students.dat"
[ "$(mode "$shared/tazu_students.dat")" = 666 ] || fail "the roster has mode $(mode "$shared/tazu_students.dat")"
if [ "$(id -u)" = 0 ]; then
  [ "$(stat -c %u "$shared/tazu_students.dat")" = 0 ] || fail "the roster is not owned by root"
fi
printf 'learners' >"$shared/tazu_students.dat"
DPKG_ROOT="$work/target" sh "$work/control/postinst" configure || fail "postinst failed again"
[ "$(cat "$shared/tazu_students.dat")" = learners ] || fail "the postinst emptied a roster"
rm "$shared/tazu_students.dat"
: >"$work/elsewhere"
chmod 600 "$work/elsewhere"
ln -s "$work/elsewhere" "$shared/tazu_students.dat"
DPKG_ROOT="$work/target" sh "$work/control/postinst" configure 2>/dev/null || fail "postinst failed on a link"
[ "$(mode "$work/elsewhere")" = 600 ] || fail "the postinst followed a link in the roster's place"

# The unpacked programs work from where they lie.
dpkg-deb -x "$deb" "$work/root"
bin="$work/root/usr/bin"
"$bin/tazu-doctor" --help | grep -q "usage: tazu-doctor" || fail "tazu-doctor --help"
case " $* " in
  *" tazu-demo-install "*)
    "$bin/tazu-demo-install" "$work/demo" >/dev/null || fail "tazu-demo-install"
    mkdir -p "$work/profile/documents"
    if ! ALLUSERSPROFILE="$work/profile" "$bin/tazu-doctor" "$work/demo" >"$work/doctor.log"; then
      cat "$work/doctor.log" >&2
      fail "tazu-doctor finds problems in a fresh demo install"
    fi
    grep -q "^OK wiskundeoptel\\\\optel.exe: native program" "$work/doctor.log" ||
      fail "the demo's activity programs were not installed from the package"
    ;;
esac
echo "ok: $(basename "$deb"), $(wc -c <"$deb") bytes, Depends: $depends"
