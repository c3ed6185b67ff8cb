#include "controls/OneInstance.h"

#include <cstdio>
#include <cstdlib>

#include "controls/AppServices.h"
#include "framework/Application.h"

namespace tazu {
namespace {

void EndAtOnce() {
  std::fflush(nullptr);
  std::_Exit(0);
}

}  // namespace

TOneInstance::TOneInstance(TComponent* owner) : TComponent(owner), EndProcess(&EndAtOnce) {
  TAppServices& services = TAppServices::Of(*this);
  ++services.OneInstanceCount;
  if (services.OneInstanceCount > 1) {
    // No destructor runs for a constructor that raises: the count goes back here.
    --services.OneInstanceCount;
    throw EOneInstError(std::string(kClassName) + ":\rAlready one " + kClassName +
                        " control in this project!");
  }
}

TOneInstance::~TOneInstance() {
  if (Application() == nullptr) return;
  TAppServices& services = TAppServices::Of(*this);
  if (services.OneInstanceCount > 0) --services.OneInstanceCount;
}

void TOneInstance::Loaded() {
  TApplication* app = Application();
  if (app == nullptr || !Enabled || !TAppServices::Of(*this).SecondCopy) return;
  switch (Mode) {
    case oiActivateOnly:
      ActivateFirstCopy();
      break;
    case oiDefaultMessage: {
      app->MessageBox({.caption = app->Title,
                       .text = "\"" + app->Title + "\" " + kAlreadyStarted,
                       .kind = MessageBoxKind::Information});
      ActivateFirstCopy();
      break;
    }
    case oiCustom:
      if (OnCustom) {
        OnCustom(this);
      } else {
        ActivateFirstCopy();
      }
      break;
  }
  app->Terminate();
  if (EndProcess) EndProcess();
}

void TOneInstance::ActivateFirstCopy() {
  TApplication* app = Application();
  if (app == nullptr || !TAppServices::Of(*this).SecondCopy) return;
  const std::string title = app->Title;
  Platform& platform = app->GetPlatform();
  // This copy's own window must not be the one found.
  platform.SetApplicationTitle("");
  platform.ActivateOtherCopy(title);
}

}  // namespace tazu
