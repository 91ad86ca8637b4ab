-- Print server: report definitions, their parameters, and stored procedures kept as named
-- SQL texts with numbered parameters (the value i of a call goes to parameter i).

-- report_flag: '1' banded engine over report_sql, '6' banded engine over the stored
-- procedure named by report_sql, 'x' template engine (template JSON in sql_view, named by
-- short_name). report_com holds the banded layout as JSON text.
create table if not exists pu_report (
  report_code integer primary key, report_name varchar(60), report_sql text, report_flag char(1),
  report_com blob, short_name varchar(40), sql_view text);

create table if not exists pu_report_param (
  report_code integer not null, param_no integer not null, param_name varchar(30), param_type varchar(20),
  param_defaultvalue varchar(100), primary key (report_code, param_no));

create table if not exists pu_store_proc (
  proc_name varchar(60) primary key, sql_text text);

create table if not exists pu_store_proc_param (
  proc_name varchar(60) not null, param_no integer not null, param_name varchar(30), param_type varchar(20),
  primary key (proc_name, param_no));

-- The act orders the order sheets print. The order data servers define this table with every
-- column of the act order; when they do not (yet), the columns the sheets read are made here.
create table if not exists yz_act_order (
  act_order_no integer primary key, order_name varchar(128), patient_id char(12), admiss_times smallint,
  order_code char(6), Serial char(2), order_time datetime, enter_time datetime, start_time datetime,
  end_time datetime, end_time_2 datetime, performance_time datetime, order_doctor char(5), stop_doctor char(5),
  enter_oper char(5), confirm_opera char(5), stop_opera char(5), stop_confirm_opera char(5), frequ_code char(30),
  order_type char(1), status_flag char(1), supply_code char(3), drug_specification varchar(32), doseage numeric,
  doseage_unit varchar(4), charge_amount numeric, print_order char(1), parent_no integer, deleted_flag char(1),
  alter_print_order integer, long_once_flag char(1));
