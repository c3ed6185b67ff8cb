#!/usr/bin/env bash
# A child's whole run in the demo install: the animation, English, a typed name, R, the
# menu, a subject, an entry starting the stand-in with the right arguments, the return,
# the back button to Afrikaans, and the exit through the advert screen. Afterwards the
# roster holds the learner and the pointer mapping is as it was; a second copy started
# meanwhile leaves exactly one running. The greeting and the music reach the sound
# output (SDL's disk driver) as non-silent audio.
# usage: journey.sh LAUNCHER DEMO_TOOL OUT_DIR
source "$(dirname "$0")/lib.sh"
tazu_require xmodmap
e2e_setup "$1" "$2" "$3"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_TMP/audio.raw"
mapping_before=$(xmodmap -pp)

e2e_start
e2e_sign_in E PIET
log="$E2E_INSTALL/activity.log"

# A second copy ends at once and leaves the first running.
(cd "$E2E_INSTALL" && XDG_RUNTIME_DIR="$E2E_TMP/runtime" timeout "$E2E_PATIENCE" "$E2E_LAUNCHER" \
  >"$E2E_OUT/second.log" 2>&1) || e2e_fail "the second copy did not end by itself"
kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the first copy ended too"

e2e_click 300 340  # mathematics
e2e_click 30 290   # addition
e2e_wait test -s "$log" || e2e_fail "the activity did not start"
grep -q $'/wiskundeoptel/optel.exe\t\\*.*\\\\#\t\\*PIET#\t\\*#\t\\*#\t\\*TRUE#\t\\*ENG#' "$log" ||
  e2e_fail "the activity got: $(cat "$log")"
e2e_finish_activity activity >/dev/null

e2e_click 759 505  # back: change name or language
e2e_sign_in A ""  # the field holds PIET already
back=$(e2e_wait_color afrikaans-menu 140 540 230 90 70)  # menu_0_A.jpg

e2e_click 759 566  # exit: the advert screen
e2e_wait e2e_shown '^advertform$' || e2e_fail "no advert screen after the exit button"
advert=$(e2e_wait_color advert 400 80 40 40 120 30)  # the page's dark blue banner
e2e_click 762 572  # its exit key
e2e_wait e2e_ended || e2e_fail "the program did not end after the advert screen"
wait "$E2E_APP_PID" 2>/dev/null || true
E2E_APP_PID=""

roster="$ALLUSERSPROFILE/documents/tazu_students.dat"
[ -f "$roster" ] || e2e_fail "no roster in $ALLUSERSPROFILE/documents"
[ "$(stat -c %s "$roster")" -eq 708 ] || e2e_fail "the roster holds $(stat -c %s "$roster") bytes"
grep -q PIET "$roster" || e2e_fail "PIET is not on the roster"
[ "$(xmodmap -pp)" = "$mapping_before" ] || e2e_fail "the pointer mapping changed"
loud=$(od -An -v -tu1 "$SDL_DISKAUDIOFILE" | tr -s ' ' '\n' | grep -cv -E '^(0|128)?$' || true)
[ "$loud" -gt 1000 ] || e2e_fail "the sound output was silent ($loud non-zero bytes)"
echo "PASS: journey ($back $advert; $loud sound bytes)"
