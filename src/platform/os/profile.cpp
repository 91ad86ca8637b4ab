#include "platform/os/profile.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/base/error.h"
#include "platform/base/text.h"

namespace yz::os {

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {
  std::ifstream in(path_, std::ios::binary);
  if (!in) return;
  exists_ = true;
  std::stringstream ss;
  ss << in.rdbuf();
  std::string utf8 = text::FromGbk(ss.str());
  if (text::StartsWith(utf8, "\xEF\xBB\xBF")) utf8.erase(0, 3);
  for (auto& raw : text::Split(utf8, '\n')) {
    Line line;
    line.text = raw;
    if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
    std::string t = text::Trim(line.text);
    if (t.size() >= 2 && t.front() == '[') {
      size_t close = t.find(']');
      if (close != std::string::npos) {
        line.kind = Line::Section;
        line.section = text::Trim(t.substr(1, close - 1));
      }
    } else if (!t.empty() && t[0] != ';' && t[0] != '#') {
      size_t eq = t.find('=');
      if (eq != std::string::npos) {
        line.kind = Line::Entry;
        line.key = text::Trim(t.substr(0, eq));
        line.value = text::Trim(t.substr(eq + 1));
      }
    }
    lines_.push_back(std::move(line));
  }
  if (!lines_.empty() && lines_.back().kind == Line::Other && lines_.back().text.empty()) lines_.pop_back();
}

const ProfileFile::Line* ProfileFile::Find(std::string_view section, std::string_view key) const {
  bool in = false;
  for (auto& l : lines_) {
    if (l.kind == Line::Section) in = text::SameText(l.section, section);
    else if (in && l.kind == Line::Entry && text::SameText(l.key, key)) return &l;
  }
  return nullptr;
}

bool ProfileFile::HasKey(std::string_view section, std::string_view key) const { return Find(section, key) != nullptr; }

std::string ProfileFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  const Line* l = Find(section, key);
  std::string v = l ? l->value : std::string(def);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  if (text::Length(v) > 2047) v = text::Left(v, 2047);
  return v;
}

bool ProfileFile::ParseProfileInteger(std::string_view t, int32_t* out) {
  std::string s = text::Trim(t);
  if (s.empty()) return false;
  bool neg = false;
  size_t i = 0;
  if (s[0] == '-' || s[0] == '+') {
    neg = s[0] == '-';
    i = 1;
  }
  bool hex = false;
  if (s.compare(i, 2, "0x") == 0 || s.compare(i, 2, "0X") == 0) {
    hex = true;
    i += 2;
  } else if (i < s.size() && s[i] == '$') {
    hex = true;
    i += 1;
  }
  if (i >= s.size()) return false;
  uint64_t v = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    unsigned d;
    if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
    else if (hex && c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
    else if (hex && c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
    else return false;
    v = v * (hex ? 16 : 10) + d;
    if (v > 0xFFFFFFFFull) return false;
  }
  if (hex) {
    uint32_t bits = static_cast<uint32_t>(v);
    if (neg) bits = 0u - bits;
    *out = static_cast<int32_t>(bits);
    return true;
  }
  if (neg ? v > 2147483648ull : v > 2147483647ull) return false;
  *out = neg ? static_cast<int32_t>(-static_cast<int64_t>(v)) : static_cast<int32_t>(v);
  return true;
}

int32_t ProfileFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  const Line* l = Find(section, key);
  int32_t v;
  if (l && ParseProfileInteger(l->value, &v)) return v;
  return def;
}

bool ProfileFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void ProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  // Line breaks would split the entry; keep the value on its line.
  std::string v = text::ReplaceAll(text::ReplaceAll(value, "\r", " "), "\n", " ");
  bool in = false;
  size_t lastOfSection = std::string::npos;
  for (size_t i = 0; i < lines_.size(); ++i) {
    auto& l = lines_[i];
    if (l.kind == Line::Section) {
      in = text::SameText(l.section, section);
      if (in) lastOfSection = i;
    } else if (in) {
      if (l.kind == Line::Entry) lastOfSection = i;
      if (l.kind == Line::Entry && text::SameText(l.key, key)) {
        l.value = v;
        l.text = l.key + "=" + v;
        return;
      }
    }
  }
  Line e;
  e.kind = Line::Entry;
  e.key = std::string(key);
  e.value = v;
  e.text = e.key + "=" + v;
  if (lastOfSection == std::string::npos) {
    Line s;
    s.kind = Line::Section;
    s.section = std::string(section);
    s.text = "[" + s.section + "]";
    lines_.push_back(std::move(s));
    lines_.push_back(std::move(e));
  } else {
    lines_.insert(lines_.begin() + static_cast<long>(lastOfSection) + 1, std::move(e));
  }
}

void ProfileFile::WriteInteger(std::string_view section, std::string_view key, int64_t value) {
  WriteString(section, key, std::to_string(value));
}

void ProfileFile::Save() const {
  std::string out;
  for (auto& l : lines_) {
    out += l.text;
    out += "\r\n";
  }
  std::string gbk = text::ToGbk(out);
  std::string tmp = path_ + ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    if (!f) throw Error("Cannot write the settings file " + path_);
    f.write(gbk.data(), static_cast<std::streamsize>(gbk.size()));
    if (!f) throw Error("Cannot write the settings file " + path_);
  }
  if (std::rename(tmp.c_str(), path_.c_str()) != 0) {
    std::remove(tmp.c_str());
    throw Error("Cannot write the settings file " + path_);
  }
}

}  // namespace yz::os
