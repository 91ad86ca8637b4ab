#include "platform/base/text.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace yz::text {
namespace {

// Length in bytes of the well-formed UTF-8 sequence at s[i], or 0 when it is invalid.
size_t SeqLen(std::string_view s, size_t i) {
  auto c = static_cast<unsigned char>(s[i]);
  size_t n;
  unsigned min;
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) { n = 2; min = 0x80; }
  else if ((c & 0xF0) == 0xE0) { n = 3; min = 0x800; }
  else if ((c & 0xF8) == 0xF0) { n = 4; min = 0x10000; }
  else return 0;
  if (i + n > s.size()) return 0;
  unsigned cp = c & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    auto cc = static_cast<unsigned char>(s[i + k]);
    if ((cc & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (cc & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

size_t Step(std::string_view s, size_t i) {
  size_t n = SeqLen(s, i);
  return n == 0 ? 1 : n;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Convert(std::string_view in, const char* to, const char* from, std::string_view replacement) {
  std::string out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  out.reserve(in.size() * 2);
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  char buf[1024];
  while (left > 0) {
    char* dst = buf;
    size_t room = sizeof buf;
    size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, dst - buf);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL: skip one byte (or one UTF-8 sequence) and put a replacement.
      size_t skip = 1;
      if (std::strcmp(from, "UTF-8") == 0) skip = Step(std::string_view(src, left), 0);
      else if (errno == EILSEQ && left >= 2 && static_cast<unsigned char>(*src) >= 0x81) skip = 1;
      if (skip > left) skip = left;
      src += skip;
      left -= skip;
      out.append(replacement);
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

size_t Length(std::string_view s) {
  size_t n = 0;
  for (size_t i = 0; i < s.size(); i += Step(s, i)) ++n;
  return n;
}

size_t ByteOffset(std::string_view s, size_t charIndex) {
  size_t i = 0;
  while (charIndex > 0 && i < s.size()) {
    i += Step(s, i);
    --charIndex;
  }
  return i < s.size() ? i : s.size();
}

std::string Substr(std::string_view s, size_t start, size_t count) {
  size_t b = ByteOffset(s, start);
  if (count == std::string_view::npos) return std::string(s.substr(b));
  size_t e = b;
  while (count > 0 && e < s.size()) {
    e += Step(s, e);
    --count;
  }
  if (e > s.size()) e = s.size();
  return std::string(s.substr(b, e - b));
}

std::string Right(std::string_view s, size_t n) {
  size_t len = Length(s);
  if (n >= len) return std::string(s);
  return Substr(s, len - n);
}

std::string Left(std::string_view s, size_t n) { return Substr(s, 0, n); }

std::string Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

std::string TrimLeft(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && IsBlank(s[e - 1])) --e;
  return std::string(s.substr(0, e));
}

std::string Upper(std::string_view s) {
  std::string r(s);
  for (auto& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

std::string Lower(std::string_view s) {
  std::string r(s);
  for (auto& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

int CompareText(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool Contains(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }

std::vector<std::string> Split(std::string_view s, char sep) {
  std::vector<std::string> parts;
  size_t b = 0;
  for (;;) {
    size_t e = s.find(sep, b);
    if (e == std::string_view::npos) {
      parts.emplace_back(s.substr(b));
      return parts;
    }
    parts.emplace_back(s.substr(b, e - b));
    b = e + 1;
  }
}

std::string Join(const std::vector<std::string>& parts, std::string_view sep) {
  std::string r;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) r += sep;
    r += parts[i];
  }
  return r;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string r;
  size_t b = 0;
  for (;;) {
    size_t e = s.find(from, b);
    if (e == std::string_view::npos) break;
    r.append(s.substr(b, e - b));
    r.append(to);
    b = e + from.size();
  }
  r.append(s.substr(b));
  return r;
}

std::string QuoteSql(std::string_view s) { return ReplaceAll(s, "'", "''"); }

std::string SqlLiteral(std::string_view s) { return "'" + QuoteSql(s) + "'"; }

bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    size_t n = SeqLen(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string SanitizeUtf8(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    size_t n = SeqLen(s, i);
    if (n == 0) {
      r += "\xEF\xBF\xBD";
      ++i;
    } else {
      r.append(s.substr(i, n));
      i += n;
    }
  }
  return r;
}

std::string FromGbk(std::string_view gbk) { return Convert(gbk, "UTF-8", "GB18030", "\xEF\xBF\xBD"); }

std::string ToGbk(std::string_view utf8) { return Convert(utf8, "GBK", "UTF-8", "?"); }

}  // namespace yz::text
