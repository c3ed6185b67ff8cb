// The fake platform's scripted processes, as the process starter's tests use them.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "platform/fake/FakePlatform.h"

namespace tazu {
namespace {

ShellExecuteRequest Request(const std::string& file, const std::string& parameters = "") {
  ShellExecuteRequest request;
  request.verb = "open";
  request.file = file;
  request.parameters = parameters;
  request.directory = "C:\\Kids\\";
  request.show = 1;
  return request;
}

TEST(FakeProcesses, StartsAreRecordedAndRunUntilEnded) {
  FakePlatform fake;
  const ShellExecuteResult a = fake.ShellExecute(Request("C:\\Kids\\a.exe", "\"*x#\""));
  const ShellExecuteResult b = fake.ShellExecute(Request("C:\\Kids\\b.exe"));
  EXPECT_EQ(a.instanceCode, 42);
  ASSERT_NE(a.process, 0u);
  ASSERT_NE(b.process, 0u);
  EXPECT_NE(a.process, b.process);

  ASSERT_EQ(fake.shellRequests.size(), 2u);
  EXPECT_EQ(fake.shellRequests[0].file, "C:\\Kids\\a.exe");
  EXPECT_EQ(fake.shellRequests[0].parameters, "\"*x#\"");
  EXPECT_EQ(fake.shellRequests[0].directory, "C:\\Kids\\");
  EXPECT_EQ(fake.shellRequests[0].show, 1);
  EXPECT_EQ(fake.processes.at(b.process).request.file, "C:\\Kids\\b.exe");

  EXPECT_EQ(fake.GetExitCodeProcess(a.process), STILL_ACTIVE);
  fake.EndProcess(a.process, 3);
  EXPECT_EQ(fake.GetExitCodeProcess(a.process), 3u);
  EXPECT_EQ(fake.GetExitCodeProcess(b.process), STILL_ACTIVE);
  EXPECT_EQ(fake.GetExitCodeProcess(0), std::nullopt);
  EXPECT_EQ(fake.GetExitCodeProcess(0x999999), std::nullopt);
}

TEST(FakeProcesses, ScriptedOutcomesComeInOrderThenTheDefault) {
  FakePlatform fake;
  fake.shellOutcomes.push_back({SE_ERR_FNF, true});
  fake.shellOutcomes.push_back({42, false});  // a document taken by a running program
  fake.shellDefault = {11, true};

  const ShellExecuteResult failed = fake.ShellExecute(Request("x"));
  EXPECT_EQ(failed.instanceCode, SE_ERR_FNF);
  EXPECT_EQ(failed.process, 0u);  // failures never come with a process
  const ShellExecuteResult document = fake.ShellExecute(Request("x"));
  EXPECT_EQ(document.instanceCode, 42);
  EXPECT_EQ(document.process, 0u);
  const ShellExecuteResult badFormat = fake.ShellExecute(Request("x"));
  EXPECT_EQ(badFormat.instanceCode, 11);
  EXPECT_EQ(badFormat.process, 0u);
  EXPECT_TRUE(fake.processes.empty());
  EXPECT_EQ(fake.shellRequests.size(), 3u);
}

TEST(FakeProcesses, ClosedHandlesCannotBeQueried) {
  FakePlatform fake;
  const ProcessHandle p = fake.ShellExecute(Request("x")).process;
  fake.CloseProcess(p);
  EXPECT_EQ(fake.GetExitCodeProcess(p), std::nullopt);
  ASSERT_EQ(fake.closedProcesses.size(), 1u);
  EXPECT_EQ(fake.closedProcesses[0], p);
}

TEST(FakeProcesses, WaitEndsTheProcessWhenAsked) {
  FakePlatform fake;
  fake.waitExitCode = 7;
  const ProcessHandle p = fake.ShellExecute(Request("x")).process;
  fake.WaitForProcess(p);
  EXPECT_EQ(fake.GetExitCodeProcess(p), 7u);
  // Waiting for an ended process changes nothing.
  fake.EndProcess(p, 9);
  fake.WaitForProcess(p);
  EXPECT_EQ(fake.GetExitCodeProcess(p), 9u);
  fake.WaitForProcess(0);
  EXPECT_EQ(fake.waitedProcesses, (std::vector<ProcessHandle>{p, p, 0}));
}

TEST(FakeProcesses, WaitBlocksUntilAnotherThreadEndsTheProcess) {
  FakePlatform fake;
  fake.endOnWait = false;
  const ProcessHandle p = fake.ShellExecute(Request("x")).process;
  std::thread ender([&] { fake.EndProcess(p, 4); });
  fake.WaitForProcess(p);
  ender.join();
  EXPECT_EQ(fake.GetExitCodeProcess(p), 4u);
}

TEST(FakeProcesses, AWaitThatNothingEndsGivesUp) {
  FakePlatform fake;
  fake.endOnWait = false;
  fake.realWaitLimitMs = 1;
  const ProcessHandle p = fake.ShellExecute(Request("x")).process;
  EXPECT_THROW(fake.WaitForProcess(p), std::runtime_error);
  EXPECT_EQ(fake.GetExitCodeProcess(p), STILL_ACTIVE);
}

}  // namespace
}  // namespace tazu
