// Date-times as days since 1899-12-30 with the fraction as the time of day, so that
// "plus one day" and "more than 1.0 day" are plain arithmetic.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace yz {

class DateTime {
 public:
  constexpr DateTime() = default;
  constexpr explicit DateTime(double days) : days_(days) {}

  static DateTime FromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                            int msec = 0);
  // Splits into parts; fields may be null.
  void Decode(int* year, int* month, int* day, int* hour = nullptr, int* minute = nullptr, int* second = nullptr,
              int* msec = nullptr) const;

  constexpr double Days() const { return days_; }
  DateTime DatePart() const;
  double TimePart() const;

  // Formats with the classic pattern letters: yyyy yy m mm d dd h hh n nn s ss z zzz, and
  // "mm"/"m" right after "h"/"hh" (ignoring separators) mean minutes. Text in double or
  // single quotes is copied.
  std::string Format(std::string_view pattern) const;
  // "yyyy-mm-dd hh:nn:ss", or "yyyy-mm-dd" when the time is exactly midnight.
  std::string ToString() const;

  // Parses "yyyy-mm-dd", "yyyy-mm-dd hh:nn", "yyyy-mm-dd hh:nn:ss[.zzz]", also with '/' or
  // 'T' separators and one-digit month/day/hour. Returns nullopt on anything else.
  static std::optional<DateTime> Parse(std::string_view text);
  // As Parse, but throws ConvertError "'text' is not a valid date and time".
  static DateTime ParseOrThrow(std::string_view text);

  friend constexpr DateTime operator+(DateTime a, double days) { return DateTime(a.days_ + days); }
  friend constexpr DateTime operator-(DateTime a, double days) { return DateTime(a.days_ - days); }
  friend constexpr double operator-(DateTime a, DateTime b) { return a.days_ - b.days_; }
  friend constexpr bool operator==(DateTime a, DateTime b) { return a.days_ == b.days_; }
  friend constexpr auto operator<=>(DateTime a, DateTime b) { return a.days_ <=> b.days_; }

 private:
  double days_ = 0;
};

}  // namespace yz
