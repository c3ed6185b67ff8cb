#include "tests/soak/StarterSoak.h"

#include <stdlib.h>

#include <fstream>
#include <iostream>
#include <thread>

#include "base/Paths.h"
#include "controls/AppServices.h"
#include "platform/NativePlatform.h"
#include "tests/MissingPackage.h"
#include "tools/demo-install/DemoActivities.h"

namespace fs = std::filesystem;

namespace tazu::test {
namespace {

// The addition entry of the activity table, as the menu writes it.
constexpr const char* kProgram = "wiskundeoptel\\optel.exe";
constexpr const char* kLoggedProgram = "/wiskundeoptel/optel.exe";
constexpr const char* kLearner = "SOAK";
constexpr auto kCompressedBeat = std::chrono::milliseconds(1);

// The menu's parameter string: six fields "*value#" in double quotes.
std::string Parameters(const std::string& installFolder) {
  std::string parameters;
  for (const std::string& value : {installFolder, std::string(kLearner), std::string(),
                                   std::string(), std::string("TRUE"), std::string("ENG")}) {
    if (!parameters.empty()) parameters += ' ';
    parameters += "\"*" + value + "#\"";
  }
  return parameters;
}

}  // namespace

void StarterSoak::SetUp() {
  // Children inherit the environment: the stand-in ends as soon as its window is up,
  // and neither it nor we touch a real display whatever the test runner has.
  setenv("TAZU_ACTIVITY_SECONDS", "0", 1);
  unsetenv("DISPLAY");
  // In sanitizer builds the stand-in would otherwise report the caches that system
  // libraries keep for the life of a process at each of its hundreds of ends.
  setenv("LSAN_OPTIONS", "suppressions=" TAZU_LSAN_SUPPRESSIONS, 0);
  install = dir.Path() / "install";
  demo::InstallStandInActivities(install.string(), TAZU_ACTIVITY_PROGRAM);
  // The launcher runs with its install folder as the current folder, and so do the
  // programs it starts (no working folder is given).
  previousFolder = fs::current_path();
  fs::current_path(install);
  try {
    app = std::make_unique<TApplication>(CreateNativePlatform());
  } catch (const std::exception& e) {
    TAZU_SKIP_MISSING_PACKAGE(e.what());
  }
  app->Title = "Pelkor Tazu";
  starter = app->Create<TStarter>();
  starter->SetAutoStart(true);  // as the menu's AppExe: the clock item beats too
  starter->OnAfterStart = [this](TObject*) { ++afterStarts; };
  starter->OnError = [this](TObject*) { ++errors; };
  starter->OnFinished = [this](TObject*) { ++finished; };
}

void StarterSoak::TearDown() {
  app.reset();
  if (!previousFolder.empty()) fs::current_path(previousFolder);
}

bool StarterSoak::StartAndWaitForEnd(Clock clock) {
  const int finishedBefore = finished;
  const int errorsBefore = errors;
  std::string installFolder = GetCurrentDir();
  if (installFolder.back() != '\\') installFolder += '\\';
  starter->SetCommand(installFolder + kProgram);
  starter->SetParameters(Parameters(installFolder));
  starter->Execute();
  if (errors != errorsBefore) {
    ADD_FAILURE() << "the start failed with shell code " << starter->ErrorCode();
    return false;
  }
  TTimerPool& pool = TAppServices::Of(*app).TimerPool();
  const auto deadline = std::chrono::steady_clock::now() + kStartDeadline;
  while (finished == finishedBefore) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "no end notice within " << kStartDeadline.count() << " s";
      return false;
    }
    if (clock == Clock::Compressed) {
      pool.Tick();
      app->ProcessMessages();
      std::this_thread::sleep_for(kCompressedBeat);
    } else {
      app->HandleMessage();
    }
  }
  return true;
}

double StarterSoak::RunStarts(int count, Clock clock) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) {
    if (!StartAndWaitForEnd(clock)) return 0;
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return count / took.count();
}

int StarterSoak::LoggedStarts() const {
  std::ifstream in(install / "activity.log");
  int lines = 0;
  std::string line;
  while (std::getline(in, line)) {
    // The program's own path first, then the arguments as it received them.
    if (line.find(std::string(kLoggedProgram) + "\t*") != std::string::npos &&
        line.ends_with("\t*TRUE#\t*ENG#")) {
      ++lines;
    }
  }
  return lines;
}

ProcessFigures StarterSoak::Measure(const std::string& label) const {
  const ProcessFigures figures = ProcessFigures::Now();
  std::cout << figures.Line(label) << std::endl;
  return figures;
}

}  // namespace tazu::test
