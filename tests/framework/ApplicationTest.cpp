#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/Exceptions.h"
#include "framework/Button.h"
#include "framework/Dialogs.h"
#include "framework/Timer.h"
#include "tests/framework/FrameworkFixture.h"

namespace tazu {
namespace {

using test::FrameworkTest;

using ApplicationTest = FrameworkTest;

TEST_F(ApplicationTest, NestedModalFormsReturnAtOnceWhenTheApplicationEnds) {
  TForm* main = ShownForm();
  TForm* outer = app->CreateForm<TForm>();
  TForm* inner = app->CreateForm<TForm>();
  std::vector<std::string> order;
  outer->OnActivate = [&](TObject*) {
    order.push_back("outer shown");
    EXPECT_FALSE(main->Enabled());
    const int result = inner->ShowModal();
    order.push_back("inner returned " + std::to_string(result));
  };
  inner->OnActivate = [&](TObject*) {
    order.push_back("inner shown");
    fake->idleSteps.push_back([&] { app->Terminate(); });
  };
  const int result = outer->ShowModal();
  order.push_back("outer returned " + std::to_string(result));
  EXPECT_EQ(order, (std::vector<std::string>{"outer shown", "inner shown", "inner returned 2",
                                             "outer returned 2"}));
  // Each is a dialog of the form it was shown over.
  EXPECT_EQ(fake->windows.at(outer->Handle()).owner, main->Handle());
  EXPECT_EQ(fake->windows.at(inner->Handle()).owner, outer->Handle());
  EXPECT_FALSE(outer->Visible());
  EXPECT_FALSE(inner->Visible());
  EXPECT_TRUE(main->Enabled());
  // Once the application is ending, a modal showing does not even start.
  bool shown = false;
  inner->OnShow = [&](TObject*) { shown = true; };
  EXPECT_EQ(inner->ShowModal(), mrCancel);
  EXPECT_FALSE(shown);
}

TEST_F(ApplicationTest, ModalResultEndsTheShowingAfterOnCloseAndOnCloseCanRefuse) {
  ShownForm();
  TForm* dialog = app->CreateForm<TForm>();
  int closes = 0;
  dialog->OnClose = [&](TObject*, TCloseAction& action) {
    if (++closes == 1) action = TCloseAction::caNone;  // the first request is refused
  };
  fake->idleSteps.push_back([&] { dialog->SetModalResult(mrOk); });
  fake->idleSteps.push_back([&] { dialog->Close(); });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(closes, 2);
}

TEST_F(ApplicationTest, MainFormRegainsActivationWhenAModalFormCloses) {
  TForm* main = app->CreateForm<TForm>();
  int activations = 0;
  main->OnActivate = [&](TObject*) { ++activations; };
  main->Show();
  EXPECT_EQ(activations, 1);
  TForm* dialog = app->CreateForm<TForm>();
  fake->idleSteps.push_back([&] { dialog->Close(); });
  dialog->ShowModal();
  EXPECT_EQ(activations, 2);
  EXPECT_TRUE(main->Active());
}

TEST_F(ApplicationTest, ASecondCopysRequestRestoresTheMainFormButKeepsAModalFormOnTop) {
  TForm* main = app->CreateForm<TForm>();
  main->Show();
  main->SetWindowState(TWindowState::wsMinimized);
  TForm* intro = app->CreateForm<TForm>();
  Event request;
  request.kind = EventKind::ActivateRequest;
  fake->idleSteps.push_back([&] { fake->PushEvent(request); });
  fake->idleSteps.push_back([&] {
    EXPECT_EQ(main->WindowState(), TWindowState::wsNormal);
    EXPECT_EQ(app->ZOrder().back(), intro);
    intro->Close();
  });
  intro->ShowModal();

  // Without a modal form the main form itself comes to the front.
  TForm* other = app->CreateForm<TForm>();
  other->Show();
  fake->PushEvent(request);
  app->HandleMessage();
  EXPECT_EQ(app->ZOrder().back(), main);
}

TEST_F(ApplicationTest, ClosingTheMainFormEndsRun) {
  TForm* main = app->CreateForm<TForm>();
  bool closed = false;
  main->OnClose = [&](TObject*, TCloseAction&) { closed = true; };
  fake->idleSteps.push_back([&] { main->Close(); });
  app->Run();
  EXPECT_TRUE(closed);
  EXPECT_TRUE(app->Terminated());
}

TEST_F(ApplicationTest, SynchronizeFromAWorkerIsServedByAModalLoop) {
  ShownForm();
  TForm* dialog = app->CreateForm<TForm>();
  std::atomic<int> ran{0};
  std::thread::id ranOn;
  std::thread worker;
  dialog->OnActivate = [&](TObject*) {
    worker = std::thread([&] {
      for (int i = 0; i < 50; ++i) {
        EXPECT_TRUE(app->Synchronize([&] {
          ranOn = std::this_thread::get_id();
          ++ran;
        }));
      }
      app->Synchronize([&] { dialog->Close(); });
    });
  };
  dialog->ShowModal();
  worker.join();
  EXPECT_EQ(ran.load(), 50);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(ApplicationTest, SynchronizeIsServedByProcessMessagesAndRaisesInTheCaller) {
  std::atomic<bool> finished{false};
  std::string caught;
  std::thread worker([&] {
    app->Synchronize([] {});
    try {
      app->Synchronize([] { throw Exception("from the UI thread"); });
    } catch (const Exception& e) {
      caught = e.what();
    }
    finished = true;
  });
  while (!finished) {
    app->ProcessMessages();
    std::this_thread::yield();
  }
  worker.join();
  EXPECT_EQ(caught, "from the UI thread");
}

TEST_F(ApplicationTest, CancelledHandOverReleasesItsCallerWithoutRunning) {
  int owner = 0;
  std::atomic<bool> queued{false};
  std::atomic<int> result{-1};
  bool ran = false;
  std::thread worker([&] {
    queued = true;
    result = app->Synchronize([&] { ran = true; }, &owner) ? 1 : 0;
  });
  // Wait until the worker's call is queued (its wake-up reaches the fake's queue).
  Event event;
  while (!fake->WaitEvent(event, 10)) {
  }
  app->CancelSynchronize(&owner);
  worker.join();
  app->ProcessMessages();
  EXPECT_EQ(result.load(), 0);
  EXPECT_FALSE(ran);
}

TEST_F(ApplicationTest, HandlerExceptionsReachTheErrorBoxAndTheLoopGoesOn) {
  TForm* main = ShownForm();
  main->OnClick = [](TObject*) { throw EReadError(); };
  fake->Click(main->Handle(), 5, 5);
  app->ProcessMessages();
  ASSERT_EQ(fake->shownBoxes.size(), 1u);
  EXPECT_EQ(fake->shownBoxes[0].text, "Stream read error.");
  EXPECT_EQ(fake->shownBoxes[0].caption, "Test");
  main->OnClick = [](TObject*) { throw Exception("File is corrupt."); };
  fake->Click(main->Handle(), 5, 5);
  app->ProcessMessages();
  main->OnClick = [](TObject*) { throw EAbort(); };
  fake->Click(main->Handle(), 5, 5);
  app->ProcessMessages();
  ASSERT_EQ(fake->shownBoxes.size(), 2u);  // no full stop added twice, nothing for EAbort
  EXPECT_EQ(fake->shownBoxes[1].text, "File is corrupt.");
}

TEST_F(ApplicationTest, TimersTickThroughTheLoopOnlyWhileEnabled) {
  ShownForm();
  auto* timer = app->Create<TTimer>();
  timer->SetInterval(500);
  std::vector<uint64_t> ticks;
  timer->SetOnTimer([&](TObject*) {
    ticks.push_back(fake->Now());
    if (ticks.size() == 3) timer->SetEnabled(false);
  });
  fake->idleSteps.push_back([] {});
  for (int i = 0; i < 10 && ticks.size() < 3; ++i) app->HandleMessage();
  EXPECT_EQ(ticks, (std::vector<uint64_t>{500, 1000, 1500}));
  EXPECT_EQ(fake->timerCount(), 0);
  timer->SetEnabled(true);
  EXPECT_EQ(fake->timerCount(), 1);
  TComponent::Free(timer);
  EXPECT_EQ(fake->timerCount(), 0);
}

TEST_F(ApplicationTest, MessageDialogsUseEnglishCaptionsAndScriptedAnswers) {
  fake->answers.push_back(mrNo);
  EXPECT_EQ(MessageDlg(*app, "Disable?", TMsgDlgType::mtConfirmation, mbYes | mbNo), mrNo);
  MessageDlg(*app, "Careful", TMsgDlgType::mtWarning, mbOK);
  MessageDlg(*app, "Note", TMsgDlgType::mtInformation, mbOK);
  ShowMessage(*app, "Plain");
  ASSERT_EQ(fake->shownBoxes.size(), 4u);
  EXPECT_EQ(fake->shownBoxes[0].caption, "Confirm");
  EXPECT_EQ(fake->shownBoxes[0].buttons, MessageBoxButtons::YesNo);
  EXPECT_EQ(fake->shownBoxes[1].caption, "Warning");
  EXPECT_EQ(fake->shownBoxes[2].caption, "Information");
  EXPECT_EQ(fake->shownBoxes[3].caption, "Test");
  EXPECT_EQ(fake->shownBoxes[3].kind, MessageBoxKind::Plain);
}

TEST_F(ApplicationTest, OwnDialogIsAModalFormAnsweredByClickingItsButton) {
  fake->nativeMessageBoxes = false;
  ShownForm();
  auto* ticker = app->Create<TTimer>();
  ticker->SetInterval(50);
  int ticks = 0;
  ticker->SetOnTimer([&](TObject*) { ++ticks; });
  fake->idleSteps.push_back([] {});  // let a few timer ticks through first
  fake->onIdle = [&] {
    if (ticks < 3) return;
    TForm* box = app->ActiveForm();
    for (TControl* c : box->Controls()) {
      auto* button = dynamic_cast<TButton*>(c);
      if (button != nullptr && button->Caption == "No") {
        fake->Click(box->Handle(), button->Left() + 5, button->Top() + 5);
      }
    }
    fake->onIdle = nullptr;
  };
  EXPECT_EQ(MessageDlg(*app, "Do you want to disable the music?", TMsgDlgType::mtConfirmation,
                       mbYes | mbNo),
            mrNo);
  EXPECT_GE(ticks, 3);  // timers went on while the box was up
  // Escape answers with the last button.
  fake->onIdle = [&] {
    fake->PressKey(app->ActiveForm()->Handle(), VK_ESCAPE);
    fake->onIdle = nullptr;
  };
  EXPECT_EQ(MessageDlg(*app, "OK only", TMsgDlgType::mtInformation, mbOK), mrOk);
}

}  // namespace
}  // namespace tazu
