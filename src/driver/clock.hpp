#pragma once
// The local date and time of the report's stamps, behind an interface so that
// tests can give the program a fixed clock.

namespace arribada::driver {

struct DateTime {
  int year = 0;  // four digits
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int hundredths = 0;  // read but never printed
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime now() = 0;
};

class SystemClock : public Clock {
 public:
  DateTime now() override;
};

}  // namespace arribada::driver
