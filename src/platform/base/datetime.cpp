#include "platform/base/datetime.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/base/error.h"

namespace yz {
namespace {

// Days from 0001-01-01 (proleptic Gregorian) to the given date, via the civil-from-days
// algorithm; the epoch 1899-12-30 is subtracted by the callers.
long DaysFromCivil(long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long>(doe) - 719468;  // days since 1970-01-01
}

void CivilFromDays(long z, int* y, int* m, int* d) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long yy = static_cast<long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned dd = doy - (153 * mp + 2) / 5 + 1;
  const unsigned mm = mp + (mp < 10 ? 3 : -9);
  *y = static_cast<int>(yy + (mm <= 2));
  *m = static_cast<int>(mm);
  *d = static_cast<int>(dd);
}

constexpr long kEpochOffset = 25569;  // days from 1899-12-30 to 1970-01-01

bool DaysInMonthOk(int y, int m, int d) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12 || d < 1) return false;
  int max = days[m - 1];
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) max = 29;
  return d <= max;
}

}  // namespace

DateTime DateTime::FromParts(int year, int month, int day, int hour, int minute, int second, int msec) {
  long days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kEpochOffset;
  double t = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + msec) / 86400000.0;
  return DateTime(days >= 0 ? days + t : days - t);
}

void DateTime::Decode(int* year, int* month, int* day, int* hour, int* minute, int* second, int* msec) const {
  // Round to the millisecond first so that 0.99999999 of a day does not print as 23:59:59.
  double whole = std::floor(days_);
  long long ms = std::llround((days_ - whole) * 86400000.0);
  long dayNo = static_cast<long>(whole);
  if (ms >= 86400000) {
    ms -= 86400000;
    ++dayNo;
  }
  int y, m, d;
  CivilFromDays(dayNo - kEpochOffset, &y, &m, &d);
  if (year) *year = y;
  if (month) *month = m;
  if (day) *day = d;
  if (hour) *hour = static_cast<int>(ms / 3600000);
  if (minute) *minute = static_cast<int>(ms / 60000 % 60);
  if (second) *second = static_cast<int>(ms / 1000 % 60);
  if (msec) *msec = static_cast<int>(ms % 1000);
}

DateTime DateTime::DatePart() const {
  int y, m, d;
  Decode(&y, &m, &d);
  return FromParts(y, m, d);
}

double DateTime::TimePart() const { return days_ - DatePart().days_; }

std::string DateTime::Format(std::string_view p) const {
  int y, mo, d, h, mi, s, ms;
  Decode(&y, &mo, &d, &h, &mi, &s, &ms);
  std::string out;
  bool lastWasHour = false;
  char buf[16];
  auto num = [&](int v, int width) {
    std::snprintf(buf, sizeof buf, "%0*d", width, v);
    out += buf;
  };
  size_t i = 0;
  while (i < p.size()) {
    char c = p[i];
    char lc = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    size_t run = 1;
    while (i + run < p.size()) {
      char n = p[i + run];
      char ln = static_cast<char>(n >= 'A' && n <= 'Z' ? n + 32 : n);
      if (ln != lc) break;
      ++run;
    }
    if (c == '"' || c == '\'') {
      size_t e = p.find(c, i + 1);
      if (e == std::string_view::npos) e = p.size();
      out.append(p.substr(i + 1, e - i - 1));
      i = e + 1;
      continue;
    }
    switch (lc) {
      case 'y':
        if (run >= 3) num(y, 4);
        else num(y % 100, 2);
        lastWasHour = false;
        break;
      case 'm':
        if (lastWasHour) num(mi, run >= 2 ? 2 : 1);
        else num(mo, run >= 2 ? 2 : 1);
        lastWasHour = false;
        break;
      case 'd':
        num(d, run >= 2 ? 2 : 1);
        lastWasHour = false;
        break;
      case 'h':
        num(h, run >= 2 ? 2 : 1);
        lastWasHour = true;
        break;
      case 'n':
        num(mi, run >= 2 ? 2 : 1);
        lastWasHour = false;
        break;
      case 's':
        num(s, run >= 2 ? 2 : 1);
        lastWasHour = false;
        break;
      case 'z':
        num(ms, run >= 3 ? 3 : 1);
        lastWasHour = false;
        break;
      default:
        out.append(p.substr(i, run));  // separators keep the hour context for "hh:mm"
        break;
    }
    i += run;
  }
  return out;
}

std::string DateTime::ToString() const {
  int h, mi, s, ms;
  Decode(nullptr, nullptr, nullptr, &h, &mi, &s, &ms);
  if (h == 0 && mi == 0 && s == 0 && ms == 0) return Format("yyyy-mm-dd");
  return Format("yyyy-mm-dd hh:nn:ss");
}

std::optional<DateTime> DateTime::Parse(std::string_view t) {
  size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  size_t end = t.size();
  while (end > i && t[end - 1] == ' ') --end;
  t = t.substr(i, end - i);
  i = 0;
  auto number = [&](int maxDigits, int* out) {
    int v = 0, n = 0;
    while (i < t.size() && n < maxDigits && t[i] >= '0' && t[i] <= '9') {
      v = v * 10 + (t[i] - '0');
      ++i;
      ++n;
    }
    *out = v;
    return n > 0;
  };
  auto sep = [&](const char* allowed) {
    if (i < t.size() && std::strchr(allowed, t[i]) && t[i] != '\0') {
      ++i;
      return true;
    }
    return false;
  };
  int y, mo, d, h = 0, mi = 0, s = 0, ms = 0;
  if (!number(4, &y) || !sep("-/.") || !number(2, &mo) || !sep("-/.") || !number(2, &d)) return std::nullopt;
  if (!DaysInMonthOk(y, mo, d)) return std::nullopt;
  if (i < t.size()) {
    if (!sep(" T")) return std::nullopt;
    while (i < t.size() && t[i] == ' ') ++i;
    if (!number(2, &h) || !sep(":") || !number(2, &mi)) return std::nullopt;
    if (sep(":")) {
      if (!number(2, &s)) return std::nullopt;
      if (sep(".")) {
        size_t b = i;
        if (!number(3, &ms)) return std::nullopt;
        for (size_t k = i - b; k < 3; ++k) ms *= 10;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
      }
    }
    if (i != t.size() || h > 23 || mi > 59 || s > 59) return std::nullopt;
  }
  return FromParts(y, mo, d, h, mi, s, ms);
}

DateTime DateTime::ParseOrThrow(std::string_view text) {
  auto v = Parse(text);
  if (!v) throw ConvertError("'" + std::string(text) + "' is not a valid date and time");
  return *v;
}

}  // namespace yz
