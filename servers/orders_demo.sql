-- Orders of the demo patients and the order dictionaries.

-- Routes the order rules name: 079 the route of a new child order, 087 TPN, a return route
-- and a discharge-medication route (class 4).
insert into yz_supply values ('079', '同组', 'TZ', '079', '2', 7);
insert into yz_supply values ('087', 'TPN', 'TPN', '087', '2', 8);
insert into yz_supply values ('090', '退药', 'TY', '090', '9', 9);
insert into yz_supply values ('091', '出院带药', 'CYDY', '091', '4', 10);

insert into yp_unit_name values ('BO', '玻璃瓶');
insert into yp_unit_name values ('g', '克');
insert into yp_unit_name values ('mg', '毫克');
insert into yp_unit_name values ('ml', '毫升');
insert into yp_unit_name values ('片', '片');
insert into yp_unit_name values ('瓶', '瓶');
insert into yp_unit_name values ('盒', '盒');
insert into yp_unit_name values ('粒', '粒');
insert into yp_unit_name values ('支', '支');

insert into yz_order_charge values ('Z0001', 1, '110200001', '一级护理', 15, 1, '0', '0', '100%', '0111');
insert into yz_order_charge values ('Z0002', 1, '110200002', '二级护理', 10, 1, '0', '0', '100%', '0111');
insert into yz_order_charge values ('Z0004', 1, '250100001', '血常规', 20, 1, '0', '0', '100%', '0401');
insert into yz_order_charge values ('Z0005', 1, '310700001', '心电图', 30, 1, '0', '0', '100%', '0402');
insert into yz_order_charge values ('Z0005', 2, '310700002', '心电图附加导联', 5, 1, '1', '0', '0%', '0402');
insert into yz_order_charge values ('S0001', 1, '331300001', '阑尾切除术', 800, 1, '0', '1', '80%', '0311');
insert into yz_order_charge values ('S0001', 2, '330100001', '麻醉费', 300, 1, '0', '0', '100%', '0311');

insert into yp_fit_icd values ('Y0002', 1, '细菌性肺炎');
insert into yp_fit_icd values ('Y0002', 2, '尿路感染');
insert into yp_fit_icd values ('Y0003', 1, '重症感染');

insert into yz_fit_flag values ('0', '适应症内');
insert into yz_fit_flag values ('1', '超适应症');

insert into yp_ward_drug values ('0101', '0111', 'Y0001', '01', 24);
insert into yp_ward_drug values ('0101', '0111', 'Y0005', '01', 60);

insert into yz_pattern_order values ('P001', 1, 'Y0002', '01', '头孢曲松钠注射液', 'BID', 'c', '02', '1g', 1, 'g', 2, 1,
  '支', null, '1011', null, null);
insert into yz_pattern_order values ('P001', 2, 'Y0005', '01', '氯化钠注射液', 'BID', 'c', '02', '0.9%:250ml', 250, 'ml', 2,
  250, '瓶', 1, '1016', null, null);

insert into yz_exclusive_order values ('02579', 'A1');
insert into yz_exclusive_order values ('02580', 'A1');
insert into yz_exclusive_order values ('Z0006', 'B1');
insert into yz_exclusive_order values ('Z0007', 'B1');
insert into yz_exclusive_order values ('Z0008', 'B1');

insert into yz_op_time values (1, '08:00');
insert into yz_op_time values (2, '10:00');
insert into yz_op_time values (3, '14:00');

insert into yz_mzfs values ('01', '全身麻醉', '01', 'QSMZ');
insert into yz_mzfs values ('02', '椎管内麻醉', '02', 'ZGNMZ');
insert into yz_mzfs values ('03', '局部麻醉', '03', 'JBMZ');

-- The limit function's answers (an item not listed is allowed).
insert into yz_limit_rule values ('Y0003', '01', '美罗培南注射液为特殊使用级抗菌药物，须经会诊后使用');

-- Orders of 刘德明 (000100001, stay 1): nursing and diet confirmed, an infusion group being
-- executed, a blood count executed, and two orders entered but not yet confirmed.
insert into yz_act_order (act_order_no, order_name, patient_id, admiss_times, order_code, serial, order_time,
  enter_time, confirm_time, start_time, order_doctor, enter_oper, confirm_opera, frequ_code, order_type,
  status_flag, supply_code, drug_specification, doseage, doseage_unit, charge_amount, drug_occ, parent_no,
  print_order, exclusive_type, pay_self, group_no, infant_flag, emergency_flag, ope_flag, self_buy, instruction,
  discription, deleted_flag, alter_print_order, exec_unit, long_once_flag, fit_flag, mini_unit) values
  (901, '一级护理', '000100001', 1, 'Z0001', '**', '2024-05-01 10:30', '2024-05-01 10:31', '2024-05-01 10:40',
   '2024-05-01 10:30', '00002', '00002', '00005', 'ALWAYS', '2', '2', null, null, null, null, 1, null, null,
   '0', '0', '0', null, '0', '0', '0', '0', null, '一级护理', '0', 901, '0111', '1', '0', null),
  (902, '低盐低脂饮食', '000100001', 1, 'Z0003', '**', '2024-05-01 10:30', '2024-05-01 10:31', '2024-05-01 10:40',
   '2024-05-01 10:30', '00002', '00002', '00005', 'ALWAYS', '2', '2', null, null, null, null, 1, null, null,
   '0', '0', '0', null, '0', '0', '0', '0', null, '低盐低脂饮食', '0', 902, '0111', '1', '0', null),
  (903, '头孢曲松钠注射液', '000100001', 1, 'Y0002', '01', '2024-05-02 08:00', '2024-05-02 08:05',
   '2024-05-02 08:20', '2024-05-02 08:00', '00002', '00002', '00005', 'BID', 'c', '3', '02', '1g', 1, 'g', 2, 1,
   null, '0', '0', '0', '1011', '0', '0', '0', '0', '皮试阴性', null, '0', 903, '0111', '1', '0', '支'),
  (904, '氯化钠注射液', '000100001', 1, 'Y0005', '01', '2024-05-02 08:00', '2024-05-02 08:05',
   '2024-05-02 08:20', '2024-05-02 08:00', '00002', '00002', '00005', 'BID', 'c', '3', '02', '0.9%:250ml', 250,
   'ml', 2, 250, 903, '0', '0', '0', '1016', '0', '0', '0', '0', null, null, '0', 904, '0111', '1', '0', '瓶'),
  (905, '血常规', '000100001', 1, 'Z0004', '**', '2024-05-02 09:00', '2024-05-02 09:01', '2024-05-02 09:10',
   '2024-05-02 09:00', '00002', '00002', '00005', 'ONCE', '3', '3', null, null, null, null, 1, null, null,
   '0', '0', '0', null, '0', '0', '0', '0', null, '血常规检查', '0', 905, '0401', '0', '0', null),
  (906, '硝苯地平缓释片', '000100001', 1, 'Y0008', '01', '2024-05-06 08:00', '2024-05-06 08:02', null,
   '2024-05-06 08:00', '00002', '00002', null, 'QD', 'c', '1', '01', '20mg*30片', 20, 'mg', 1, 20, null,
   '0', '0', '0', '1011', '0', '0', '0', '0', '饭后服', null, '0', 906, '0111', '1', '0', '片'),
  (907, '心电图', '000100001', 1, 'Z0005', '**', '2024-05-06 08:10', '2024-05-06 08:11', null,
   '2024-05-06 08:10', '00002', '00002', null, 'ONCE', '3', '1', null, null, null, null, 1, null, null,
   '0', '0', '0', null, '0', '0', '0', '0', null, '十二导联心电图', '0', 907, '0402', '0', '0', null);

-- 周建国 (000100003, stay 1, discharged): a stopped long-term drug order.
insert into yz_act_order (act_order_no, order_name, patient_id, admiss_times, order_code, serial, order_time,
  enter_time, confirm_time, start_time, end_time, end_time_2, order_doctor, stop_doctor, enter_oper,
  confirm_opera, stop_opera, stop_confirm_opera, frequ_code, order_type, status_flag, supply_code,
  drug_specification, doseage, doseage_unit, charge_amount, drug_occ, print_order, pay_self, group_no,
  infant_flag, emergency_flag, ope_flag, self_buy, deleted_flag, alter_print_order, exec_unit, long_once_flag,
  fit_flag, mini_unit) values
  (911, '硝苯地平缓释片', '000100003', 1, 'Y0008', '01', '2024-04-02 10:00', '2024-04-02 10:02',
   '2024-04-02 10:10', '2024-04-02 10:00', '2024-04-20 08:00', '2024-04-20 08:00', '00001', '00001', '00001',
   '00005', '00001', '00005', 'QD', 'c', '5', '01', '20mg*30片', 20, 'mg', 1, 20, '1', '0', '1011', '0', '0',
   '0', '0', '0', 911, '0111', '1', '0', '片');
