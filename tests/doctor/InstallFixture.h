// A demo install made once by the demo generator and given to each test as a fresh
// copy, with a profile folder for the roster that the test owns. The activity programs
// are hard links to the one copy the generator made, so a test that wants a different
// program removes the link first and then writes its own file.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "tests/base/TempDir.h"
#include "tests/doctor/DoctorTestSupport.h"
#include "tests/roster/RosterTestSupport.h"
#include "tools/demo-install/DemoActivities.h"
#include "tools/demo-install/DemoInstall.h"
#include "tools/doctor/InstallDoctor.h"

namespace tazu::test {

class InstallFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    demo_ = std::make_unique<TempDir>();
    demo::MakeDemoInstall(demo_->Str());
  }
  static void TearDownTestSuite() { demo_.reset(); }

  void SetUp() override {
    ASSERT_FALSE(demo::FindStandInProgram().empty())
        << "tazu-activity must be built beside the test program";
    CopyTree(demo_->Path(), install);
    // Shared by every account, as the launcher makes it.
    std::filesystem::create_directories(profile / "documents");
    std::filesystem::permissions(profile / "documents",
                                 std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
    environment.block = {"HOME=/nowhere", "ALLUSERSPROFILE=" + profile.string()};
    environment.systemFolder = (dir.Path() / "system").string();
    environment.currentFolder = install.string();
  }

  doctor::DoctorReport Check() const {
    doctor::DoctorSetup setup;
    setup.installFolder = install.string();
    setup.rosterEnvironment = &environment;
    setup.searchPath = "";
    return doctor::CheckInstall(setup);
  }

  // Replaces a file of the install with `bytes` (never writing through a shared link).
  void Replace(const std::string& relative, const std::string& bytes) const {
    std::filesystem::remove(install / relative);
    PutFile(install / relative, bytes);
  }

  // Inverts `count` bytes in the middle of a file of the install.
  void FlipMiddle(const std::string& relative, size_t count) const {
    std::string bytes = FileText(install / relative);
    for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + count && i < bytes.size(); ++i) {
      bytes[i] = static_cast<char>(~bytes[i]);
    }
    Replace(relative, bytes);
  }

  TempDir dir;
  std::filesystem::path install = dir.Path() / "install";
  std::filesystem::path profile = dir.Path() / "profile";
  FakeRosterEnvironment environment;

 private:
  static void CopyTree(const std::filesystem::path& from, const std::filesystem::path& to) {
    namespace fs = std::filesystem;
    fs::create_directories(to);
    for (const auto& entry : fs::recursive_directory_iterator(from)) {
      const fs::path target = to / fs::relative(entry.path(), from);
      if (entry.is_directory()) {
        fs::create_directories(target);
      } else if (entry.path().extension() == ".exe") {
        fs::create_hard_link(entry.path(), target);
      } else {
        fs::copy_file(entry.path(), target);
      }
    }
  }

  static inline std::unique_ptr<TempDir> demo_;
};

}  // namespace tazu::test
