// Message boxes: the classic calls over TApplication::MessageBox. Where the platform
// has no boxes of its own they are modal forms of the framework, so timers and
// hand-overs from worker threads go on while one is up.
#pragma once

#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace tazu {

class TApplication;
class TCanvas;
struct TFont;

// The frame of the program's own dialog windows, drawn over `client`: a title bar
// `titleHeight` pixels high with `title` in `titleFont`, `titleIndent` pixels in, and a
// one-pixel border. Leaves the brush clear.
void PaintDialogFrame(TCanvas& canvas, const Rect& client, int titleHeight, int titleIndent,
                      const TFont& titleFont, std::string_view title);

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgButtons : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };

// Captioned "Warning", "Error", "Information" or "Confirm" (mtCustom: the title).
int MessageDlg(TApplication& app, const std::string& message, TMsgDlgType type, unsigned buttons);
// A plain box with an OK button, captioned with the application title.
void ShowMessage(TApplication& app, const std::string& message);

// The framework's own drawn box; returns the modal result of the button chosen
// (Escape gives Cancel, No or OK, whichever the box has).
int ShowMessageForm(TApplication& app, const MessageBoxRequest& request);

}  // namespace tazu
