// Profile (ini) files as the host's settings files are written: sections, keys matched
// without regard to case, stored in GBK on disk and UTF-8 in memory. Reading never fails:
// a missing file, section or key, or a malformed value, gives the default.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yz::os {

class ProfileFile {
 public:
  // Loads the file when it exists; a missing or unreadable file reads as empty.
  explicit ProfileFile(std::string path);

  const std::string& Path() const { return path_; }
  bool Exists() const { return exists_; }

  // The value with surrounding blanks (and one pair of enclosing quotes) removed, cut to
  // 2047 characters; the default when the key is missing.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // Decimal (signed 32-bit) or hexadecimal with "0x" / "$" (its 32-bit pattern); anything else,
  // including a decimal above 2147483647, gives the default.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  bool HasKey(std::string_view section, std::string_view key) const;

  // Changes or adds a key in memory; Save writes the whole file in GBK.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int64_t value);
  // Throws yz::Error naming the path when the file cannot be written.
  void Save() const;

  // Parses an integer the way ReadInteger does; false when it is not one.
  static bool ParseProfileInteger(std::string_view text, int32_t* out);

 private:
  struct Line {
    std::string text;     // the raw line (UTF-8) for comments and blanks
    std::string section;  // for section headers: the name
    std::string key, value;
    enum Kind { Other, Section, Entry } kind = Other;
  };
  const Line* Find(std::string_view section, std::string_view key) const;
  std::string path_;
  bool exists_ = false;
  std::vector<Line> lines_;
};

}  // namespace yz::os
