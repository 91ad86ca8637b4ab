-- The numbered lists of the SQL-tag server. Each text is in the module's SQL dialect and names
-- its parameters as :name: positions 0 to 3 are the search keys (pinyin code, custom code,
-- code, name), position 4 a second code key, then the context parameters.

create view if not exists v_order_list as
  select d.charge_code as code, d.name as name, d.drug_spec as spec, d.mini_unit as unit,
         d.name || ' ' || d.drug_spec as discription, s.stock_amount as stock, '' as price,
         d.order_type as order_type, ifnull(d.exclusive_type, '0') as exclusive_type, s.group_no as group_no,
         d.expensive as expensive, d.drug_flag as drug_flag, d.serial as serial, d.yp_order_class as yp_order_class,
         d.limit_amount as limit_amount, '' as exec_unit, '' as ward_sn, d.py_code as py_code, d.d_code as d_code
    from yp_dict d join yp_stock s on s.charge_code = d.charge_code and s.serial = d.serial
  union all
  select i.order_code, i.order_name, '', '', i.discription, null, i.price_text, i.order_type, i.exclusive_type, '',
         i.expensive, '0', '**', '', null, i.exec_unit, i.ward_sn, i.py_code, i.d_code
    from yz_order_item i;

insert or replace into yz_sql_tag values (8, 'select emp_sn 编号, name 姓名, py_code 拼音码, d_code 自定义码, emp_title 职称 from a_employee_mi where py_code like :py_code and d_code like :d_code and emp_sn like :code and name like :name and emp_sn like :sn and order_flag > ''0'' order by emp_sn', '医生');

insert or replace into yz_sql_tag values (118, 'select name 医嘱名, spec 规格, unit 单位, discription 医嘱描述, stock 库存, price 价格, code 医嘱码, order_type 医嘱类型, exclusive_type 排斥类型, group_no 库号, expensive 贵重, drug_flag 毒麻, serial 药品序列号, yp_order_class, limit_amount 处方上限, exec_unit, ward_sn, py_code 拼音码, d_code 自定义码 from v_order_list where py_code like :py_code and d_code like :d_code and code like :order_code and name like :order_name and code like :order_code2 and (group_no = '''' or group_no like :yp_zy or group_no like :yp_zc or group_no like :yp_dsy or group_no like :yp_kf or group_no like :yp_cydy) order by py_code, code, group_no', '医嘱项目');

insert or replace into yz_sql_tag values (128, 'select supply_code 给药方式码, supply_name 给药方式名称, py_code 拼音码, d_code 自定义码 from yz_supply where py_code like :py_code and d_code like :d_code and supply_code like :code and supply_name like :name order by sort_no', '给药方式');

insert or replace into yz_sql_tag values (132, 'select frequ_code 频率码, frequ_name 频率名称, py_code 拼音码, d_code 自定义码, times_per_day 每日次数 from yz_frequency where py_code like :py_code and d_code like :d_code and frequ_code like :code and frequ_name like :name order by sort_no', '频率');

insert or replace into yz_sql_tag values (164, 'select dept_sn 部门编码, dept_name 部门名称, py_code 拼音码, d_code 自定义码 from zy_adtward where py_code like :py_code and d_code like :d_code and dept_sn like :code and dept_name like :name order by dept_sn', '部门');

insert or replace into yz_sql_tag values (321, 'select d.charge_code 编码, d.name 名称, d.py_code 拼音码, d.d_code 自定义码, d.drug_spec 规格, d.mini_unit 单位, s.stock_amount 库存, d.retprice 价格, d.serial 药品序列号, s.group_no 库号 from yp_dict d, yp_stock s where s.charge_code = d.charge_code and s.serial = d.serial and d.py_code like :py_code and d.d_code like :d_code and d.charge_code like :code and d.name like :name and d.charge_code like :code2 and s.group_no like :group_no and d.order_type like :infusion_flag and d.order_type = ''f'' order by d.py_code', '草药');

insert or replace into yz_sql_tag values (463, 'select bed_no 床号, name 姓名, inpatient_no 住院号, patient_id ID号, admiss_times 住院次数 from zy_actpatient where bed_no like :py_code and bed_no like :d_code and bed_no like :code and name like :name and bed_no like :code2 and admiss_dept like :p_dept and admiss_ward like :p_ward order by bed_no', '床位');

insert or replace into yz_sql_tag values (846, 'select a.name 医生姓名, w.dept_name 所在科室, a.order_flag 处方权等级, isnull(b.order_class, ''1'') 抗生素等级, a.emp_sn 医生代码, u.user_name 登录名 from a_employee_mi a left join a_employee_add_info b on b.emp_sn = a.emp_sn left join xt_user u on u.emp_sn = a.emp_sn left join zy_adtward w on w.dept_sn = a.dept_sn and w.ward_sn = a.ward_sn where a.py_code like :py_code and a.d_code like :d_code and a.emp_sn like :code and a.name like :name and a.emp_sn like :sn and a.order_flag >= ''1'' and a.emp_sn <> :mycode order by a.emp_sn', '授权医生');
