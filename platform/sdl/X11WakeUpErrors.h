// A guard against an X error that SDL itself can cause at the end of the program.
#pragma once

namespace tazu {

// SDL 2.26 sends its loop's wake-ups to its newest window from other threads; one on
// its way when that window goes draws a BadWindow error for X_SendEvent, which Xlib's
// default handler turns into exit(1) when SDL closes its display at the end. Installs,
// once and before SDL starts (SDL keeps the handler it finds for the errors it does not
// handle itself), a handler that drops exactly that error and passes every other one
// on to the handler that was there.
void IgnoreLateWakeUpErrors();

}  // namespace tazu
