// Layout format (JSON load/save, look-ups, errors), expressions and parameter functions.
#include <gtest/gtest.h>

#include "fixture.h"
#include "platform/base/clock.h"
#include "platform/base/error.h"
#include "platform/report/expr.h"
#include "platform/report/layout.h"

namespace yz::report {
namespace {

using testing::OrderSheet;

std::string ErrorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(Layout, LoadsFindsAndListsElements) {
  Layout l = OrderSheet();
  ASSERT_EQ(l.reports.size(), 1u);
  Report& r = l.reports[0];
  EXPECT_EQ(r.rowsPerPage, 20);
  EXPECT_EQ(r.bands.size(), 4u);
  Element* e = l.FindElement("txt_ordername");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->cls, ElementClass::DataText);
  EXPECT_EQ(e->field, "order_name");
  EXPECT_EQ(l.FindElement("LBL_PAGENO"), &l.ElementByName("lbl_pageno"));  // names ignore case
  EXPECT_EQ(l.FindElement("nothing"), nullptr);
  EXPECT_NE(ErrorOf([&] { l.ElementByName("nothing"); }).find("'nothing' not found"), std::string::npos);

  for (Element* lbl : l.ElementsOf(ElementClass::Label)) EXPECT_EQ(lbl->cls, ElementClass::Label);
  EXPECT_EQ(l.ElementsOf(ElementClass::Label).size(), 19u);  // 11 heading, 7 column captions, page number
  EXPECT_EQ(l.ElementsOf(ElementClass::DataText).size(), 7u);
  EXPECT_EQ(l.ElementsOf(ElementClass::SystemData).size(), 3u);
}

TEST(Layout, JsonRoundTripKeepsEverything) {
  Layout a = OrderSheet();
  Element& t = a.ElementByName("lbl_title");
  t.font.strikeOut = true;
  t.font.underline = true;
  t.color = 0xC00010;
  t.enabled = false;
  a.reports[0].orientation = Orientation::Landscape;
  a.reports[0].margins = Margins{12.5, 8, 20, 5};
  a.reports[0].bands[2].frame.SetAll(false);

  std::string json = a.ToJson();
  Layout b = Layout::FromJson(json);
  EXPECT_EQ(b.ToJson(), json);
  const Element& bt = b.ElementByName("lbl_title");
  EXPECT_EQ(bt.font, t.font);
  EXPECT_EQ(bt.color, 0xC00010u);
  EXPECT_FALSE(bt.enabled);
  EXPECT_EQ(bt.text, "长期医嘱单");
  EXPECT_EQ(b.reports[0].orientation, Orientation::Landscape);
  EXPECT_EQ(b.reports[0].margins, (Margins{12.5, 8, 20, 5}));
  EXPECT_DOUBLE_EQ(b.reports[0].PageWidthMm(), 297);
  EXPECT_FALSE(b.reports[0].bands[2].frame.Any());
}

TEST(Layout, SaveAndLoadFile) {
  Layout a = OrderSheet();
  std::string path = ::testing::TempDir() + "yz_report_layout.json";
  a.SaveFile(path);
  EXPECT_EQ(Layout::LoadFile(path).ToJson(), a.ToJson());
  EXPECT_NE(ErrorOf([] { Layout::LoadFile("/nonexistent/dir/x.json"); }).find("Cannot open report layout"),
            std::string::npos);
  EXPECT_NE(ErrorOf([&] { a.SaveFile("/nonexistent/dir/x.json"); }).find("Cannot write report layout"),
            std::string::npos);
}

TEST(Layout, BadLayoutsSayWhatAndWhere) {
  auto wrap = [](const std::string& element) {
    return R"({"format":"yz-report-layout","version":1,"reports":[{"bands":[{"kind":"detail","height":8,"elements":[)" +
           element + "]}]}]}";
  };
  struct Case {
    std::string json, expected;
  } cases[] = {
      {"{\"format\":", "not valid JSON"},
      {"[1,2]", "must be a JSON object"},
      {R"({"format":"other","version":1})", "'format' must be"},
      {R"({"format":"yz-report-layout","version":7,"reports":[]})", "unsupported version 7"},
      {R"({"format":"yz-report-layout","version":1,"reports":[]})", "has no report"},
      {R"({"format":"yz-report-layout","version":1,"reports":[{"bands":[{"kind":"footer"}]}]})",
       "reports[0].bands[0]: unknown kind 'footer'"},
      {wrap(R"({"name":"a","class":"lable"})"), "bands[0].elements[0]: unknown class 'lable'"},
      {wrap(R"({"name":"a","class":"label","width":"wide"})"), "'width' must be a number"},
      {wrap(R"({"name":"a","class":"label","height":-1})"), "'height' must not be negative"},
      {wrap(R"({"class":"label"})"), "element without a name"},
      {wrap(R"({"name":"a","class":"label"},{"name":"A","class":"memo"})"), "'A' is used twice"},
      {wrap(R"({"name":"a","class":"dataText"})"), "needs a 'field'"},
      {wrap(R"({"name":"a","class":"expression","text":"1 +"})"), "element 'a': Expression '1 +'"},
      {wrap(R"({"name":"a","class":"label","color":"red"})"), "#RRGGBB"},
      {wrap(R"({"name":"a","class":"label","font":{"size":0}})"), "'size' must be positive"},
  };
  for (const Case& c : cases) {
    std::string msg = ErrorOf([&] { Layout::FromJson(c.json); });
    EXPECT_NE(msg.find(c.expected), std::string::npos) << c.json << "\n -> " << msg;
    EXPECT_NE(msg.find("Report layout"), std::string::npos) << msg;
  }
}

// ---------------------------------------------------------------- expressions

struct MapFields : FieldReader {
  std::map<std::string, Variant> values;
  bool HasField(std::string_view n) const override { return values.count(std::string(n)) > 0; }
  Variant Value(std::string_view n) const override { return values.at(std::string(n)); }
};

TEST(Expression, EvaluatesTheSmallLanguage) {
  Environment env;
  MapFields f;
  f.values = {{"x", Variant(5)}, {"name", Variant("王")}, {"flag", Variant("1")}, {"none", Variant()}};
  struct Case {
    const char* expr;
    std::string expected;
  } cases[] = {
      {"'a' + 'b'", "ab"},
      {"\"医嘱\" + name", "医嘱王"},
      {"'it''s'", "it's"},
      {"1 + 2 * 3", "7"},
      {"(1 + 2) * 3", "9"},
      {"10 / 4", "2.5"},
      {"-x + 1", "-4"},
      {"'No.' + x", "No.5"},
      {"none + 'z'", "z"},
      {"if(x > 2, 'big', 'small')", "big"},
      {"IF(x >= 6, 'big', 'small')", "small"},
      {"if(flag = '1', '━━', '')", "━━"},
      {"x <> 5", "false"},
      {"x = 5 and not (flag = '0')", "true"},
      {"x < 1 or name = '王'", "true"},
      {"copy('住院号12345', 4, 3)", "123"},
      {"length(name + 'ab')", "3"},
      {"upper(trim('  ab '))", "AB"},
      {"formatdatetime('yyyy年m月d日', now())", "2024年5月6日"},
  };
  ManualClock clock;
  SetClock(&clock);
  for (const Case& c : cases) {
    Variant v = Evaluate(c.expr, env, &f);
    std::string got = v.Type() == VarType::Bool ? (v.ToBool() ? "true" : "false") : v.ToString();
    EXPECT_EQ(got, c.expected) << c.expr;
  }
  SetClock(nullptr);
}

TEST(Expression, ErrorsNameTheExpression) {
  Environment env;
  MapFields f;
  f.values = {{"x", Variant(5)}};
  struct Case {
    const char* expr;
    const char* expected;
  } cases[] = {
      {"'open", "unterminated text"},   {"1 +", "unexpected end"},
      {"if(1, 2", "missing ')'"},       {"x # 2", "unexpected '#'"},
      {"nobody + 1", "unknown name 'nobody'"}, {"x / 0", "division by zero"},
      {"if(1, 2)", "if expects 3 argument"},  {"'abc' * 2", "not a valid"},
      {"   ", "empty"},
  };
  for (const Case& c : cases) {
    std::string msg = ErrorOf([&] { Evaluate(c.expr, env, &f); });
    EXPECT_NE(msg.find(c.expected), std::string::npos) << c.expr << " -> " << msg;
  }
}

TEST(ParamFunctions, ValueIsTheTrimmedDefaultAsText) {
  Environment env;
  env.SetParamFunctions({{" spid ", " 0001 "}, {"times", "3"}, {"who", "O'Brien, \"x\";"}});
  EXPECT_EQ(env.ParamFunctionNames(), (std::vector<std::string>{"Params_spid", "Params_times", "Params_who"}));
  Variant v = Evaluate("Params_spid", env);
  EXPECT_EQ(v.Type(), VarType::Text);  // leading zeros kept
  EXPECT_EQ(v.ToString(), "0001");
  EXPECT_EQ(env.ParamLiteral("params_SPID"), "'0001'");
  EXPECT_EQ(Evaluate("Params_spid() + '/' + Params_times", env).ToString(), "0001/3");
  // Quotes and separators in a value neither break the expression nor change the value.
  EXPECT_EQ(Evaluate("Params_who", env).ToString(), "O'Brien, \"x\";");
  EXPECT_EQ(env.ParamLiteral("Params_who"), "'O''Brien, \"x\";'");
}

TEST(ParamFunctions, BelongToOneLayoutInstanceAndAreReplacedWhole) {
  Layout first = OrderSheet();
  first.Env().SetParamFunctions({{"spid", "0001"}, {"times", "2"}});
  ASSERT_TRUE(first.Env().Has("Params_spid"));

  // A later definition, loaded afterwards without parameter rows, sees none of them.
  Layout second = OrderSheet();
  EXPECT_FALSE(second.Env().Has("Params_spid"));
  EXPECT_TRUE(second.Env().ParamFunctionNames().empty());
  EXPECT_NE(ErrorOf([&] { Evaluate("Params_spid", second.Env()); }).find("unknown name 'Params_spid'"),
            std::string::npos);
  EXPECT_TRUE(second.Env().Has("if"));  // built-ins stay

  // Setting a new list on the same instance drops every earlier parameter function.
  first.Env().SetParamFunctions({{"dept", "0301"}});
  EXPECT_FALSE(first.Env().Has("Params_spid"));
  EXPECT_FALSE(first.Env().Has("Params_times"));
  EXPECT_EQ(Evaluate("Params_dept", first.Env()).ToString(), "0301");
  first.Env().SetParamFunctions({});
  EXPECT_TRUE(first.Env().ParamFunctionNames().empty());
  EXPECT_FALSE(first.Env().Has("Params_dept"));
}

}  // namespace
}  // namespace yz::report
