// The application's running timers and when each is next due.
#pragma once

#include <chrono>
#include <optional>
#include <vector>

namespace platform {

class TTimer;

/// Schedules running timers. A tick moves the timer's next due time to one interval after
/// the moment it fired, so ticks missed while nobody called FireDue are dropped.
class TimerQueue {
 public:
  using Clock = std::chrono::steady_clock;

  /// Starts `timer` (due one interval from `now`), or restarts it when `restart` is set;
  /// a running timer without `restart` keeps its due time.
  void Start(TTimer* timer, Clock::time_point now, bool restart);
  void Stop(TTimer* timer);
  bool Contains(const TTimer* timer) const;
  /// Fires every timer due at `now` once (in start order). Timers started, stopped or
  /// destroyed by a handler are handled safely. Returns the number fired.
  int FireDue(Clock::time_point now);
  /// The earliest due time, or nothing when no timer runs.
  std::optional<Clock::time_point> NextDue() const;

 private:
  struct Entry {
    TTimer* timer;
    Clock::time_point due;
  };
  std::vector<Entry> entries_;
};

}  // namespace platform
