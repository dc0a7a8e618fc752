// Timer behaviour under a clock the tests move by hand, headless.
#include "platform/vcl/extctrls.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/vcl/forms.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application.Initialize(TBackendKind::Headless);
    Application.SetClock([this] { return now; });
  }
  void TearDown() override { Application.SetClock(nullptr); }

  // A 200 ms timer counting its ticks.
  std::unique_ptr<TTimer> MakeTimer(int& ticks, bool enabled = true) {
    auto t = std::make_unique<TTimer>(nullptr);
    t->SetEnabled(enabled);
    t->SetInterval(200);
    t->SetOnTimer([&ticks](TComponent*) { ++ticks; });
    return t;
  }
  void Advance(std::chrono::milliseconds d) { now += d; }

  std::chrono::steady_clock::time_point now{std::chrono::seconds(1000)};
};

TEST_F(TimerTest, TicksOncePerIntervalAndOnlyWhenMessagesAreProcessed) {
  int ticks = 0;
  auto timer = MakeTimer(ticks);
  Advance(199ms);
  Application.ProcessMessages();
  EXPECT_EQ(ticks, 0);
  Advance(1ms);
  Application.ProcessMessages();
  Application.ProcessMessages();
  EXPECT_EQ(ticks, 1) << "one tick per interval, however often messages are processed";
}

TEST_F(TimerTest, TicksMissedWhileNoMessagesAreProcessedAreDropped) {
  int ticks = 0;
  auto timer = MakeTimer(ticks);
  Advance(5000ms);  // a long extraction without progress messages: 25 intervals
  Application.ProcessMessages();
  Application.ProcessMessages();
  EXPECT_EQ(ticks, 1);
  // The next tick is due one interval after the late one, not on the old schedule.
  Advance(199ms);
  Application.ProcessMessages();
  EXPECT_EQ(ticks, 1);
  Advance(1ms);
  Application.ProcessMessages();
  EXPECT_EQ(ticks, 2);
}

TEST_F(TimerTest, EnablingARunningTimerDoesNotRestartIt) {
  int ticks = 0;
  auto timer = MakeTimer(ticks);
  Advance(150ms);
  timer->SetEnabled(true);
  Advance(50ms);
  Application.ProcessMessages();
  EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, StartingOrChangingTheIntervalBeginsAFreshInterval) {
  struct Case {
    const char* what;
    void (*change)(TTimer&);
  };
  const Case cases[] = {
      {"disable and enable again", [](TTimer& t) { t.SetEnabled(false), t.SetEnabled(true); }},
      {"change the interval", [](TTimer& t) { t.SetInterval(300), t.SetInterval(200); }},
  };
  for (const Case& c : cases) {
    int ticks = 0;
    auto timer = MakeTimer(ticks);
    Advance(150ms);
    c.change(*timer);
    Advance(150ms);
    Application.ProcessMessages();
    EXPECT_EQ(ticks, 0) << c.what;
    Advance(50ms);
    Application.ProcessMessages();
    EXPECT_EQ(ticks, 1) << c.what;
  }
}

TEST_F(TimerTest, DisabledTimerOrOneWithoutHandlerDoesNotRun) {
  int ticks = 0;
  auto disabled = MakeTimer(ticks, false);
  TTimer bare(nullptr);
  EXPECT_FALSE(disabled->Running());
  EXPECT_FALSE(bare.Running());
  Advance(1000ms);
  Application.ProcessMessages();
  EXPECT_EQ(ticks, 0);
}

TEST_F(TimerTest, AHandlerMayDestroyATimerDueInTheSameTurn) {
  int ticksA = 0, ticksB = 0;
  std::unique_ptr<TTimer> b;
  TTimer a(nullptr);
  a.SetInterval(200);
  a.SetOnTimer([&](TComponent*) {
    ++ticksA;
    b.reset();
  });
  b = MakeTimer(ticksB);  // started after A, so due after it in the same turn
  Advance(200ms);
  Application.ProcessMessages();
  EXPECT_EQ(ticksA, 1);
  EXPECT_EQ(ticksB, 0);
}

TEST_F(TimerTest, AHandlerProcessingMessagesDoesNotTickTwice) {
  int ticksA = 0, ticksB = 0;
  TTimer a(nullptr);
  a.SetInterval(200);
  a.SetOnTimer([&](TComponent*) {
    ++ticksA;
    Application.ProcessMessages();  // as a progress handler does, nested in a tick
  });
  auto b = MakeTimer(ticksB);
  Advance(200ms);
  Application.ProcessMessages();
  EXPECT_EQ(ticksA, 1);
  EXPECT_EQ(ticksB, 1) << "B ticks in the nested turn and not again in the outer one";
}

TEST_F(TimerTest, TimerStopsWithItsHandlerDisablingIt) {
  int ticks = 0;
  TTimer t(nullptr);
  t.SetInterval(200);
  t.SetOnTimer([&](TComponent*) {
    ++ticks;
    t.SetEnabled(false);
  });
  for (int i = 0; i < 5; ++i) {
    Advance(200ms);
    Application.ProcessMessages();
  }
  EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace platform
