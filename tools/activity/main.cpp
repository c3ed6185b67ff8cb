// tazu-activity [ARGUMENTS...]: the stand-in activity program. It records its start in
// "activity.log" of its working folder, shows what it received, and ends on "Finish",
// after TAZU_ACTIVITY_SECONDS seconds when that is set, or at once without a display.
// It exits with TAZU_ACTIVITY_EXIT_CODE when set, else 0.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "framework/Application.h"
#include "platform/NativePlatform.h"
#include "tools/activity/ActivityForm.h"
#include "tools/activity/ActivityLog.h"

namespace {

// The whole value as a number, or nothing.
std::optional<int> IntFromEnvironment(const char* name) {
  const char* text = std::getenv(name);
  if (text == nullptr) return std::nullopt;
  const std::string_view s(text);
  int value = 0;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (error != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  namespace act = tazu::activity;
  const std::string program = act::OwnProgramPath(argc > 0 ? argv[0] : nullptr);
  const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
  if (!act::AppendLine(act::kLogName, act::LogLine(program, arguments))) {
    std::fprintf(stderr, "tazu-activity: cannot write %s\n", act::kLogName);
  }
  std::optional<int> seconds = IntFromEnvironment("TAZU_ACTIVITY_SECONDS");
  if (seconds && *seconds < 0) seconds.reset();
  const int exitCode = IntFromEnvironment("TAZU_ACTIVITY_EXIT_CODE").value_or(0);

  std::unique_ptr<tazu::TApplication> app;
  try {
    app = std::make_unique<tazu::TApplication>(tazu::CreateNativePlatform());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tazu-activity: %s\n", e.what());
    if (seconds) std::this_thread::sleep_for(std::chrono::seconds(*seconds));
    return exitCode;
  }
  app->Title = "Pelkor Tazu activity";
  app->CreateForm<act::TActivityForm>(program, arguments, seconds);
  app->Run();
  return exitCode;
}
