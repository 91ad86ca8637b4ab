// The one clock of the process. Everything that asks "now" or waits goes through it, so
// tests and scenarios can move time by hand.
#pragma once
#include <cstdint>

#include "platform/base/datetime.h"

namespace yz {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime Now() const = 0;       // local wall-clock time
  virtual int64_t Milliseconds() const = 0;  // monotonic milliseconds, for timers
};

// Real time from the system.
class SystemClock : public Clock {
 public:
  DateTime Now() const override;
  int64_t Milliseconds() const override;
};

// Time that moves only when told to.
class ManualClock : public Clock {
 public:
  explicit ManualClock(DateTime start = DateTime::FromParts(2024, 5, 6, 9, 0, 0)) : now_(start) {}
  DateTime Now() const override { return now_; }
  int64_t Milliseconds() const override { return ms_; }
  void Advance(int64_t ms) {
    ms_ += ms;
    now_ = now_ + static_cast<double>(ms) / 86400000.0;
  }
  void Set(DateTime t) { now_ = t; }

 private:
  DateTime now_;
  int64_t ms_ = 0;
};

// The process clock; the system clock unless replaced. SetClock(nullptr) restores it.
Clock& GetClock();
void SetClock(Clock* clock);

}  // namespace yz
