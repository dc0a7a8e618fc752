#include "platform/vcl/timer_queue.h"

#include <algorithm>

#include "platform/vcl/extctrls.h"

namespace platform {

namespace {
std::chrono::milliseconds IntervalOf(const TTimer* t) {
  return std::chrono::milliseconds(t->Interval());
}
}  // namespace

void TimerQueue::Start(TTimer* timer, Clock::time_point now, bool restart) {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [&](const Entry& e) { return e.timer == timer; });
  if (it == entries_.end())
    entries_.push_back({timer, now + IntervalOf(timer)});
  else if (restart)
    it->due = now + IntervalOf(timer);
}

void TimerQueue::Stop(TTimer* timer) {
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [&](const Entry& e) { return e.timer == timer; }),
                 entries_.end());
}

bool TimerQueue::Contains(const TTimer* timer) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const Entry& e) { return e.timer == timer; });
}

int TimerQueue::FireDue(Clock::time_point now) {
  std::vector<TTimer*> due;
  for (const Entry& e : entries_)
    if (e.due <= now) due.push_back(e.timer);
  int fired = 0;
  for (TTimer* t : due) {
    // An earlier handler may have stopped or destroyed this timer, or restarted it.
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.timer == t; });
    if (it == entries_.end() || it->due > now) continue;
    it->due = now + IntervalOf(t);
    ++fired;
    t->Tick();
  }
  return fired;
}

std::optional<TimerQueue::Clock::time_point> TimerQueue::NextDue() const {
  if (entries_.empty()) return std::nullopt;
  auto it = std::min_element(entries_.begin(), entries_.end(),
                             [](const Entry& a, const Entry& b) { return a.due < b.due; });
  return it->due;
}

}  // namespace platform
