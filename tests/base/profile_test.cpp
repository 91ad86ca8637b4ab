#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/base/text.h"
#include "platform/os/profile.h"

using yz::os::ProfileFile;

namespace {
std::string TempPath(const char* name) { return ::testing::TempDir() + name; }
void WriteRaw(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}
std::string ReadRaw(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}
}  // namespace

TEST(Profile, MissingFileGivesDefaults) {
  ProfileFile f(TempPath("does-not-exist.ini"));
  EXPECT_FALSE(f.Exists());
  EXPECT_EQ(f.ReadString("user", "subsys_id", "x"), "x");
  EXPECT_EQ(f.ReadInteger("report", "once_order_report_code", 501), 501);
}

TEST(Profile, IntegersTextsAndCase) {
  std::string path = TempPath("p1.ini");
  WriteRaw(path, yz::text::ToGbk("[COLOR]\r\nYZ_INPUT=0x8000000D\r\nyz_confirm = 16711680 \r\nyz_proc=$FF\r\n"
                                 "yz_stop=abc\r\nbig=2147483648\r\nneg=-5\r\n[user]\r\nward_name= 内科一病区 \r\n"
                                 "quoted=\"a b\"\r\n; comment=1\r\ndup=first\r\ndup=second\r\n"));
  ProfileFile f(path);
  EXPECT_EQ(static_cast<uint32_t>(f.ReadInteger("color", "yz_input", 0)), 0x8000000Du);
  EXPECT_EQ(f.ReadInteger("color", "yz_confirm", 0), 16711680);
  EXPECT_EQ(f.ReadInteger("color", "yz_proc", 0), 255);
  EXPECT_EQ(f.ReadInteger("color", "yz_stop", 255), 255);
  EXPECT_EQ(f.ReadInteger("color", "big", 7), 7);
  EXPECT_EQ(f.ReadInteger("color", "neg", 7), -5);
  EXPECT_EQ(f.ReadString("User", "WARD_NAME", ""), "内科一病区");
  EXPECT_EQ(f.ReadString("user", "quoted", ""), "a b");
  EXPECT_FALSE(f.HasKey("user", "comment"));
  EXPECT_EQ(f.ReadString("user", "dup", ""), "first");
}

TEST(Profile, InvalidBytesAndOverlongValues) {
  std::string path = TempPath("p2.ini");
  WriteRaw(path, "[user]\r\nsubsys_id=ab\xFF\xFE" "cd\r\nhospital=" + std::string(3000, 'h') + "\r\nyp_zy=01\r\n");
  ProfileFile f(path);
  std::string s = f.ReadString("user", "subsys_id", "");
  EXPECT_TRUE(yz::text::IsValidUtf8(s));
  EXPECT_EQ(s.substr(0, 2), "ab");
  EXPECT_EQ(f.ReadString("user", "hospital", "").size(), 2047u);
  EXPECT_EQ(f.ReadString("user", "yp_zy", ""), "01");
}

TEST(Profile, WriteKeepsOtherLinesAndStoresGbk) {
  std::string path = TempPath("p3.ini");
  WriteRaw(path, "; site settings\r\n[user]\r\nyp_zy=01\r\n[report]\r\nx=1\r\n");
  ProfileFile f(path);
  f.WriteString("USER", "YP_ZY", "02");
  f.WriteString("user", "dept_name", "内科");
  f.WriteInteger("Selected", "supply_sql_tag", 128);
  f.Save();
  std::string raw = ReadRaw(path);
  EXPECT_NE(raw.find("; site settings"), std::string::npos);
  EXPECT_NE(raw.find("yp_zy=02"), std::string::npos);  // the stored spelling of the key is kept
  EXPECT_NE(raw.find(yz::text::ToGbk("dept_name=内科")), std::string::npos);
  ProfileFile g(path);
  EXPECT_EQ(g.ReadString("user", "yp_zy", ""), "02");
  EXPECT_EQ(g.ReadString("user", "dept_name", ""), "内科");
  EXPECT_EQ(g.ReadInteger("selected", "supply_sql_tag", 0), 128);
  EXPECT_EQ(g.ReadInteger("report", "x", 0), 1);
  // The new key lands inside its section, not at the end of the file.
  EXPECT_LT(raw.find("dept_name"), raw.find("[report]"));
}
