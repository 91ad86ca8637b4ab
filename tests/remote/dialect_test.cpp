#include <gtest/gtest.h>

#include "servers/dialect.h"

namespace yz::servers {
namespace {

TEST(Dialect, TranslatesKnownConstructs) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"select top 1 * from t order by a desc ", "select * from t order by a desc limit 1"},
      {"select distinct top (5) a from t", "select distinct a from t limit 5"},
      {"select getdate(), GetDate(), getDate ()", "select yz_getdate(), yz_getdate(), yz_getdate()"},
      {"select isnull(b.x,'1') x from t b", "select ifnull(b.x,'1') x from t b"},
      {"select convert(varchar(19),GetDate(),121)", "select substr(yz_dt121(yz_getdate()),1,19)"},
      {"select convert(datetime, '2024-05-06')", "select yz_dt('2024-05-06')"},
      {"select  a.*,isnull(b.order_class,'1') order_class from a_employee_mi a,a_employee_add_info b "
       "where a.emp_sn*=b.emp_sn and a.emp_sn = '00003'",
       "select a.*,ifnull(b.order_class,'1') order_class from a_employee_mi a left join a_employee_add_info b on "
       "a.emp_sn=b.emp_sn where a.emp_sn = '00003'"},
      {"select * from a x, b y where y.k =* x.k", "select * from a x left join b y on y.k = x.k"},
      {"select name + '(' + code + ')' from t", "select name || '(' || code || ')' from t"},
      {"select a + 1 from t where n = N'张'", "select a + 1 from t where n = '张'"},
      {"select dbo.Get_yz_limit('a','b') as limit_info from a_hospital",
       "select dbo_get_yz_limit('a','b') as limit_info from a_hospital"},
      {"select * from t where a = :a and b in (select c from u where d = :a)",
       "select * from t where a = ? and b in (select c from u where d = ?)"},
      {"select top 2 x from (select top 3 x from t) s", "select x from (select x from t limit 3) s limit 2"},
      {"insert into t (a, b) values ('x''y', 1);", "insert into t (a, b) values ('x''y', 1)"},
  };
  for (const auto& c : cases) EXPECT_EQ(TranslateSql(c.in).sql, c.out) << c.in;
  auto t = TranslateSql("select :a, :b, :a");
  EXPECT_EQ(t.params, (std::vector<std::string>{"a", "b", "a"}));
}

TEST(Dialect, RefusesUnknownConstructsNamingThem) {
  struct Case {
    const char* in;
    const char* named;
  } cases[] = {
      {"select datediff(day, a, b) from t", "function datediff"},
      {"exec sp_who", "exec"},
      {"select @x", "variable @x"},
      {"select * from #tmp", "temporary table #tmp"},
      {"select convert(varchar(10), a, 112) from t", "convert style 112"},
      {"select dbo.Unknown_fn(1) from a_hospital", "function dbo.Unknown_fn"},
      {"select * from t with (nolock)", "nolock"},
      {"select top 10 percent * from t", "top 10 percent"},
      {"select * from a x, b y where x.k *= y.k or x.z = 1", "'*=' combined with 'or'"},
      {"select 1; select 2", "several statements"},
      {"select 'abc from t", "unterminated text literal"},
      {"select (a from t", "unbalanced"},
  };
  for (const auto& c : cases) {
    try {
      TranslateSql(c.in);
      ADD_FAILURE() << "accepted: " << c.in;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << c.in << " -> " << e.what();
      EXPECT_NE(std::string(e.what()).find("not supported"), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace yz::servers
