#!/usr/bin/env bash
# The menu in the demo install: a subject highlights under the pointer, a click opens
# its sub-menu, an entry under the pointer lights up, and a button fades to its hover face.
# usage: menu.sh LAUNCHER DEMO_TOOL OUT_DIR
source "$(dirname "$0")/lib.sh"
e2e_setup "$1" "$2" "$3"
e2e_start
e2e_sign_in E PIET

e2e_move 300 340  # mover2, mathematics
# The English highlight (yellow with a dark label) over the blue demo panel.
e2e_wait_color highlight 290 330 255 230 90 40 >/dev/null

e2e_click 300 340
e2e_move 20 345  # subindex2_4
# The lit entry of sub_2_4_E.jpg in the subject's blue.
e2e_wait_color submenu 30 340 70 140 230 40 >/dev/null

e2e_move 759 566  # exitbut: it fades to its hover face
e2e_wait_color button 759 548 255 230 90 40 >/dev/null
e2e_stop
echo "PASS: menu"
