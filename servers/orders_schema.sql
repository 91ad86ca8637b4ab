-- Order tables: the act orders of the patients and the dictionaries the order data module
-- reads (fee items of order items, unit names, indications, ward stock, group templates,
-- exclusion groups, operation times, anaesthesia methods).

create table if not exists yz_act_order (
  act_order_no integer primary key, order_name varchar(128), patient_id char(12) not null,
  admiss_times smallint not null, order_code char(6), serial char(2), order_time datetime, enter_time datetime,
  confirm_time datetime, start_time datetime, end_time datetime, end_time_2 datetime, performance_time datetime,
  order_doctor char(5), stop_doctor char(5), enter_oper char(5), modifier char(5), confirm_opera char(5),
  stop_opera char(5), stop_confirm_opera char(5), frequ_code char(30), order_type char(1), status_flag char(1),
  supply_code char(3), drug_specification varchar(32), doseage numeric, doseage_unit varchar(4),
  charge_amount numeric, drug_occ numeric, print_order_change char(1), parent_no numeric, print_order char(1),
  exclusive_type char(1), exclu_back_time datetime, exclu_act_order_no numeric, pay_self char(1),
  group_no char(6), infant_flag char(1), emergency_flag char(1), ope_flag char(1), self_buy char(1),
  instruction varchar(128), discription varchar(128), deleted_flag char(1), alter_print_order numeric,
  back_flag char(1), exec_unit varchar(7), long_once_flag char(1), fit_flag char(1), mini_unit varchar(4));
create index if not exists yz_act_order_patient on yz_act_order (patient_id, admiss_times);

-- Fee items of the order items (COLUMN1 own expense, COLUMN2 expensive).
create table if not exists yz_order_charge (
  order_code varchar(10) not null, item_no integer not null, charge_code varchar(10), name varchar(60),
  charge_price numeric, amount numeric, self_flag varchar(2), expensive varchar(2), charge_group varchar(10),
  exec_unit varchar(7), primary key (order_code, item_no));

create table if not exists yp_unit_name (
  code varchar(4) primary key, name varchar(16));

create table if not exists yp_fit_icd (
  charge_code varchar(10) not null, item_no integer not null, icd_name varchar(50),
  primary key (charge_code, item_no));

create table if not exists yz_fit_flag (
  code char(1) primary key, name varchar(20));

-- Drugs kept in a ward's own stock.
create table if not exists yp_ward_drug (
  dept_sn varchar(10) not null, ward_sn varchar(10) not null, charge_code varchar(10) not null,
  serial varchar(4) not null, amount numeric, primary key (dept_sn, ward_sn, charge_code, serial));

-- Rows of the group templates.
create table if not exists yz_pattern_order (
  pattern_code varchar(10) not null, act_order_no integer not null, order_code varchar(6), serial varchar(2),
  order_name varchar(128), frequ_code varchar(30), order_type char(1), supply_code varchar(3),
  drug_specification varchar(32), doseage numeric, doseage_unit varchar(4), charge_amount numeric,
  drug_occ numeric, mini_unit varchar(4), parent_no numeric, group_no varchar(6), instruction varchar(128),
  discription varchar(128), primary key (pattern_code, act_order_no));

-- Exclusive orders: the items of one exclusion group.
create table if not exists yz_exclusive_order (
  order_code varchar(10) not null, exclu_code varchar(10) not null, primary key (order_code, exclu_code));

create table if not exists yz_op_time (
  time_no integer primary key, time_text varchar(20));

create table if not exists yz_mzfs (
  code varchar(4) primary key, name varchar(30), d_code varchar(10), py_code varchar(10));
