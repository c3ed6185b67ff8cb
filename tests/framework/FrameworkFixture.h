// An application on the fake platform, and a control that records what reaches it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Control.h"
#include "framework/Form.h"
#include "platform/fake/FakePlatform.h"

namespace tazu::test {

class FrameworkTest : public ::testing::Test {
 protected:
  FrameworkTest() {
    auto platform = std::make_unique<FakePlatform>();
    fake = platform.get();
    app = std::make_unique<TApplication>(std::move(platform));
    app->Title = "Test";
  }

  TForm* ShownForm(int width = 200, int height = 100) {
    TForm* form = app->CreateForm<TForm>();
    form->SetBounds(0, 0, width, height);
    form->Show();
    return form;
  }

  FakePlatform* fake = nullptr;
  std::unique_ptr<TApplication> app;
};

// Paints itself in one colour and writes each event it gets into a shared log.
class ProbeControl : public TControl {
 public:
  ProbeControl(TComponent* owner, TForm* parent, std::string name, std::vector<std::string>* log,
               TColor color = clRed)
      : TControl(owner, parent), log_(log), color_(color) {
    Name = std::move(name);
  }
  void Paint(TCanvas& canvas) override {
    canvas.Brush.color = color_;
    canvas.Brush.style = TBrushStyle::Solid;
    canvas.FillRect(ClientRect());
  }
  bool Opaque() const override { return true; }
  void MouseEnter() override { Log("enter"); }
  void MouseLeave() override { Log("leave"); }
  void MouseDown(MouseButton, unsigned, int x, int y) override {
    Log("down " + std::to_string(x) + "," + std::to_string(y));
  }
  void MouseUp(MouseButton, unsigned, int, int) override { Log("up"); }
  void MouseMove(unsigned, int x, int y) override {
    Log("move " + std::to_string(x) + "," + std::to_string(y));
  }
  void Click() override {
    Log("click");
    TControl::Click();
  }
  bool CanFocus() const override { return focusable; }
  void KeyPress(char& key) override { Log(std::string("key ") + key); }

  bool focusable = false;

 private:
  void Log(const std::string& what) { log_->push_back(Name + " " + what); }
  std::vector<std::string>* log_;
  TColor color_;
};

}  // namespace tazu::test
