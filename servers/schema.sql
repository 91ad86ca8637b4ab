-- Tables of the reference servers. Date-time columns are declared DATETIME and hold the
-- canonical text 'yyyy-mm-dd hh:nn:ss[.zzz]'; text sizes are declared as varchar(n).

create table if not exists a_hospital (
  hospital_sn varchar(10) primary key, hospital_name varchar(60));

create table if not exists zy_adtward (
  dept_sn varchar(10) not null, dept_name varchar(40), ward_sn varchar(10) not null, ward_name varchar(40),
  py_code varchar(10), d_code varchar(10), primary key (dept_sn, ward_sn));

create table if not exists a_employee_mi (
  emp_sn varchar(5) primary key, name varchar(20), dept_sn varchar(10), ward_sn varchar(10),
  emp_title varchar(20), order_flag char(1), py_code varchar(10), d_code varchar(10));

create table if not exists a_employee_add_info (
  emp_sn varchar(5) primary key, order_class char(1));

create table if not exists xt_user (
  user_mi varchar(10) primary key, user_name varchar(20) not null, password varchar(30), emp_sn varchar(5));

create table if not exists xt_user_func (
  user_name varchar(20) not null, subsys_id varchar(10) not null, func_name varchar(40) not null,
  primary key (user_name, subsys_id, func_name));

-- Stored window arrangements; another tool writes them, so nothing stops a second row for
-- the same window and subsystem (the module then applies none).
create table if not exists yz_user_form (
  form_id integer primary key, form_name varchar(40) not null, subsys_id varchar(10) not null, form_com blob);

create table if not exists zy_bed (
  dept_sn varchar(10), ward_sn varchar(10), bed_no varchar(8) not null, room_no varchar(8), bed_status char(1),
  primary key (ward_sn, bed_no));

create table if not exists zy_actpatient (
  patient_id varchar(12) not null, admiss_times smallint not null, inpatient_no varchar(12), name varchar(20),
  sex char(1), sex_name varchar(4), age varchar(8), birthday datetime, admiss_date datetime,
  admiss_dept varchar(10), admiss_ward varchar(10), bed_no varchar(8), bed_status char(1),
  responce_type varchar(4), responce_name varchar(20), charge_type varchar(4), charge_type_name varchar(20),
  admiss_diag varchar(10), admiss_diag_name varchar(60), balance numeric, total_charge numeric, owe_limit numeric,
  primary key (patient_id, admiss_times));

create table if not exists zy_inactpatient (
  patient_id varchar(12) not null, admiss_times smallint not null, inpatient_no varchar(12), name varchar(20),
  sex char(1), sex_name varchar(4), age varchar(8), birthday datetime, admiss_date datetime, dis_date datetime,
  admiss_dept varchar(10), admiss_ward varchar(10), bed_no varchar(8), bed_status char(1),
  responce_type varchar(4), responce_name varchar(20), charge_type varchar(4), charge_type_name varchar(20),
  admiss_diag varchar(10), admiss_diag_name varchar(60), balance numeric, total_charge numeric,
  primary key (patient_id, admiss_times));

create table if not exists zy_deposit (
  patient_id varchar(12) not null, admiss_times smallint not null, item_no integer not null,
  depo_amount numeric, depo_date datetime, primary key (patient_id, admiss_times, item_no));

create table if not exists zy_detail_charge (
  patient_id varchar(12) not null, admiss_times smallint not null, item_no integer not null,
  charge_code varchar(10), name varchar(60), charge_price numeric, amount numeric, charge numeric,
  charge_date datetime, exec_unit varchar(10), primary key (patient_id, admiss_times, item_no));

-- Drugs: one row per package form (serial); stock per pharmacy (group_no).
create table if not exists yp_dict (
  charge_code varchar(10) not null, serial varchar(4) not null, name varchar(60), drug_spec varchar(40),
  py_code varchar(10), d_code varchar(10), order_type char(1), pack_unit varchar(8), mini_unit varchar(8),
  dose_unit varchar(8), dose_per_unit numeric, retprice numeric, drug_flag char(1), expensive char(1),
  yp_order_class char(1), limit_amount integer, exclusive_type char(1), primary key (charge_code, serial));

create table if not exists yp_unit (
  charge_code varchar(10) not null, serial varchar(4) not null, unit varchar(8) not null, ratio numeric,
  primary key (charge_code, serial, unit));

create table if not exists yp_stock (
  group_no varchar(6) not null, charge_code varchar(10) not null, serial varchar(4) not null, stock_amount numeric,
  primary key (group_no, charge_code, serial));

create table if not exists yp_group (
  group_no varchar(6) primary key, group_name varchar(30), group_kind varchar(10));

-- Treatment, examination and operation items (order_type '9' operation, 'e' group template).
create table if not exists yz_order_item (
  order_code varchar(10) primary key, order_name varchar(60), order_type char(1), py_code varchar(10),
  d_code varchar(10), exclusive_type char(1), price_text varchar(20), discription varchar(80),
  exec_unit varchar(10), ward_sn varchar(10), expensive char(1));

create table if not exists yz_frequency (
  frequ_code varchar(10) primary key, frequ_name varchar(32), py_code varchar(10), d_code varchar(10),
  times_per_day integer, long_once_flag char(1), sort_no integer);

create table if not exists yz_supply (
  supply_code varchar(6) primary key, supply_name varchar(32), py_code varchar(10), d_code varchar(10),
  supply_class varchar(4), sort_no integer);

create table if not exists yz_comment_dict (
  code varchar(10) primary key, comment varchar(80), py_code varchar(10), d_code varchar(10));

create table if not exists yz_configure (
  id integer primary key, suprice_flag char(1), stop_order_code varchar(10), change_dept_order_code varchar(10),
  stop_confirm char(1), once_order_rows integer, long_order_rows integer, print_erase char(1));

-- Last order numbers given out, per kind ("new", "new1").
create table if not exists yz_order_no (
  kind varchar(10) primary key, last_no integer not null);

create table if not exists ovhk_authorize (
  id integer primary key autoincrement, request_opera varchar(10), request_time datetime, auth_doctor varchar(10),
  order_class char(1), order_flag char(1), begin_time datetime, end_time datetime, deleted_flag char(1));

-- Results of the database functions used by the module's texts (empty: allowed).
create table if not exists yz_limit_rule (
  order_code varchar(10) not null, serial varchar(4) not null, limit_info varchar(200),
  primary key (order_code, serial));

create table if not exists yz_addinform (
  order_code varchar(10) not null, serial varchar(4) not null, inform varchar(200),
  primary key (order_code, serial));

-- Numbered SQL texts of the SQL-tag server.
create table if not exists yz_sql_tag (
  tag integer primary key, sql_text text not null, memo varchar(40));

create table if not exists yz_stop_limit (
  act_order_no integer primary key, limit_info varchar(200));
