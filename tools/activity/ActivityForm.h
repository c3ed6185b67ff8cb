// The stand-in activity's window: its program name and the arguments it received, and
// a "Finish" button that ends it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "framework/Form.h"

namespace tazu {
class TButton;
class TTimer;
}  // namespace tazu

namespace tazu::activity {

class TActivityForm : public TForm {
 public:
  // With `seconds`, the form closes by itself after that many seconds.
  TActivityForm(TComponent* owner, std::string program, std::vector<std::string> arguments,
                std::optional<int> seconds);

  TButton* FinishButton() const { return finish_; }

 protected:
  void PaintBackground(TCanvas& canvas, const Rect& r) override;

 private:
  std::vector<std::string> Lines() const;

  std::string program_;
  std::vector<std::string> arguments_;
  TButton* finish_ = nullptr;
  TTimer* endTimer_ = nullptr;
};

}  // namespace tazu::activity
