-- The demo ward, loaded once into a new database.

insert into a_hospital values ('0001', '示范人民医院');

insert into zy_adtward values ('0101', '内科', '0111', '内科一病区', 'NK', '0101');
insert into zy_adtward values ('0201', '外科', '0211', '外科一病区', 'WK', '0201');
insert into zy_adtward values ('0301', '手术室', '0311', '手术室', 'SSS', '0301');

-- Doctors: prescribing level (order_flag) 0 none, 1 ordinary drugs, 2 and 3 also poison and
-- narcotic drugs; antibiotic class in a_employee_add_info (00003 has no row: class 1).
insert into a_employee_mi values ('00001', '张主任', '0101', '0111', '主任医师', '3', 'ZZR', '001');
insert into a_employee_mi values ('00002', '李医生', '0101', '0111', '主治医师', '2', 'LYS', '002');
insert into a_employee_mi values ('00003', '王实习', '0101', '0111', '实习医生', '0', 'WSX', '003');
insert into a_employee_mi values ('00004', '赵医生', '0101', '0111', '住院医师', '1', 'ZYS', '004');
insert into a_employee_mi values ('00005', '陈护士', '0101', '0111', '护师', '0', 'CHS', '005');
insert into a_employee_add_info values ('00001', '3');
insert into a_employee_add_info values ('00002', '2');
insert into a_employee_add_info values ('00004', null);

insert into xt_user values ('00001', 'zhang', '1234', '00001');
insert into xt_user values ('00002', 'li', '1234', '00002');
insert into xt_user values ('00003', 'wang', '1234', '00003');
insert into xt_user values ('00004', 'zhao', '1234', '00004');
insert into xt_user values ('00005', 'chen', '1234', '00005');

insert into xt_user_func values ('zhang', '', 'ovhk_yzstop_all');
insert into xt_user_func values ('zhang', '', 'ovhk_input_negative');
insert into xt_user_func values ('li', '', 'ovhk_yzstop_all');

insert into zy_bed values ('0101', '0111', '01', '101', '1');
insert into zy_bed values ('0101', '0111', '02', '101', '0');
insert into zy_bed values ('0101', '0111', '03', '102', '5');
insert into zy_bed values ('0101', '0111', '04', '102', '0');
insert into zy_bed values ('0101', '0111', '05', '103', '0');

insert into zy_actpatient values ('000100001', 1, 'Z0001', '刘德明', '1', '男', '56岁', '1968-03-12',
  '2024-05-01 10:20:00', '0101', '0111', '01', '1', '01', '自费', '01', '普通', 'I10', '高血压病', -120.5, 2620.5, -500);
insert into zy_actpatient values ('000100002', 2, 'Z0002', '孙秀英', '2', '女', '71岁', '1953-07-02',
  '2024-05-03 15:00:00', '0101', '0111', '03', '5', '02', '医保', '01', '普通', 'J18', '肺炎', 300, 700, -500);
insert into zy_inactpatient values ('000100003', 1, 'Z0003', '周建国', '1', '男', '63岁', '1961-01-20',
  '2024-04-02 09:00:00', '2024-04-20 10:00:00', '0101', '0111', '02', '1', '01', '自费', '01', '普通',
  'E11', '2型糖尿病', 0, 1800);

insert into zy_deposit values ('000100001', 1, 1, 2000, '2024-05-01 10:30:00');
insert into zy_deposit values ('000100001', 1, 2, 500, '2024-05-04 09:00:00');
insert into zy_detail_charge values ('000100001', 1, 1, '110100001', '床位费', 30, 5, 150, '2024-05-05 00:00:00', '0111');
insert into zy_detail_charge values ('000100001', 1, 2, '120100001', '静脉输液', 20.5, 1, 20.5, '2024-05-05 09:00:00', '0111');

insert into yp_group values ('1011', '住院西药房', 'yp_zy');
insert into yp_group values ('1012', '中成药房', 'yp_zc');
insert into yp_group values ('1013', '中草药房', 'yp_cy');
insert into yp_group values ('1014', '摆药室', 'yp_kf');
insert into yp_group values ('1015', '出院带药', 'yp_cydy');
insert into yp_group values ('1016', '大输液库', 'yp_dsy');
insert into yp_group values ('1017', '配置中心', 'yp_pjzx');

-- Drugs: order_type c western, d patent, f herbal; drug_flag 0 none, 1 psychotropic, 2 narcotic.
insert into yp_dict values ('Y0001', '01', '阿莫西林胶囊', '0.25g*24粒', 'AMXLJN', 'AMXL', 'c', '盒', '粒', 'g', 0.25, 18.6, '0', '0', '1', 10, '0');
insert into yp_dict values ('Y0002', '01', '头孢曲松钠注射液', '1g', 'TBQSN', 'TBQS', 'c', '支', '支', 'g', 1, 32.5, '0', '1', '2', 20, '0');
insert into yp_dict values ('Y0003', '01', '美罗培南注射液', '0.5g', 'MLPN', 'MLPN', 'c', '支', '支', 'g', 0.5, 156, '0', '1', '3', 10, '0');
insert into yp_dict values ('Y0004', '01', '盐酸吗啡注射液', '10mg:1ml', 'YSMF', 'MF', 'c', '支', '支', 'mg', 10, 8.2, '2', '0', '0', 2, '0');
insert into yp_dict values ('Y0005', '01', '氯化钠注射液', '0.9%:250ml', 'LHN', 'NS', 'c', '瓶', '瓶', 'ml', 250, 3.5, '0', '0', '0', 50, '0');
insert into yp_dict values ('Y0006', '01', '复方丹参片', '0.32g*60片', 'FFDSP', 'FFDS', 'd', '瓶', '片', '片', 1, 12, '0', '0', '0', 5, '0');
insert into yp_dict values ('Y0007', '01', '黄芪', '10g', 'HQ', 'HQ', 'f', 'g', 'g', 'g', 1, 0.12, '0', '0', '0', 500, '0');
insert into yp_dict values ('Y0008', '01', '硝苯地平缓释片', '20mg*30片', 'XBDPHSP', 'XBDP', 'c', '盒', '片', 'mg', 20, 26.4, '0', '0', '0', 10, '0');
insert into yp_dict values ('Y0008', '02', '硝苯地平缓释片', '10mg*30片', 'XBDPHSP', 'XBDP', 'c', '盒', '片', 'mg', 10, 15.8, '0', '0', '0', 10, '0');

insert into yp_unit values ('Y0001', '01', 'g', 0.25);
insert into yp_unit values ('Y0001', '01', '粒', 1);
insert into yp_unit values ('Y0002', '01', 'g', 1);
insert into yp_unit values ('Y0002', '01', '支', 1);
insert into yp_unit values ('Y0005', '01', 'ml', 250);
insert into yp_unit values ('Y0005', '01', '瓶', 1);
insert into yp_unit values ('Y0008', '01', 'mg', 20);
insert into yp_unit values ('Y0008', '01', '片', 1);

insert into yp_stock values ('1011', 'Y0001', '01', 120);
insert into yp_stock values ('1011', 'Y0002', '01', 80);
insert into yp_stock values ('1011', 'Y0003', '01', 0);
insert into yp_stock values ('1011', 'Y0004', '01', 10);
insert into yp_stock values ('1011', 'Y0008', '01', 40);
insert into yp_stock values ('1011', 'Y0008', '02', 25);
insert into yp_stock values ('1016', 'Y0005', '01', 300);
insert into yp_stock values ('1012', 'Y0006', '01', 30);
insert into yp_stock values ('1013', 'Y0007', '01', 5000);
insert into yp_stock values ('1014', 'Y0001', '01', 24);
insert into yp_stock values ('1014', 'Y0005', '01', 60);
insert into yp_stock values ('1015', 'Y0008', '01', 12);

insert into yz_order_item values ('Z0001', '一级护理', '2', 'YJHL', 'YJHL', '0', '15元/日', '一级护理', '0111', null, '0');
insert into yz_order_item values ('Z0002', '二级护理', '2', 'EJHL', 'EJHL', '0', '10元/日', '二级护理', '0111', null, '0');
insert into yz_order_item values ('Z0003', '低盐低脂饮食', '2', 'DYDZYS', 'DYDZ', '0', '', '低盐低脂饮食', '0111', null, '0');
insert into yz_order_item values ('Z0004', '血常规', '3', 'XCG', 'XCG', '0', '20元', '血常规检查', '0401', null, '0');
insert into yz_order_item values ('Z0005', '心电图', '3', 'XDT', 'XDT', '0', '35元', '十二导联心电图', '0402', null, '0');
insert into yz_order_item values ('Z0006', '停止所有长期医嘱', '5', 'TZSYCQYZ', 'TZCQ', '1', '', '停长期医嘱', '0111', null, '0');
insert into yz_order_item values ('Z0007', '转科', '5', 'ZK', 'ZK', '2', '', '转科', '0111', null, '0');
insert into yz_order_item values ('Z0008', '出院', '5', 'CY', 'CY', '3', '', '出院', '0111', null, '0');
insert into yz_order_item values ('S0001', '阑尾切除术', '9', 'LWQCS', 'LWQC', '0', '800元', '阑尾切除术', '0311', null, '1');
insert into yz_order_item values ('S0002', '胆囊切除术', '9', 'DNQCS', 'DNQC', '0', '1500元', '胆囊切除术', '0311', null, '1');

insert into yz_frequency values ('ONCE', '一次', 'YC', 'ONCE', 1, '0', 1);
insert into yz_frequency values ('ST', '立即', 'LJ', 'ST', 1, '0', 2);
insert into yz_frequency values ('ALWAYS', '持续', 'CX', 'ALWAYS', 1, '1', 3);
insert into yz_frequency values ('QD', '每日一次', 'MRYC', 'QD', 1, '1', 4);
insert into yz_frequency values ('BID', '每日两次', 'MRLC', 'BID', 2, '1', 5);
insert into yz_frequency values ('TID', '每日三次', 'MRSC', 'TID', 3, '1', 6);
insert into yz_frequency values ('QID', '每日四次', 'MRSIC', 'QID', 4, '1', 7);
insert into yz_frequency values ('Q8H', '每8小时一次', 'M8XS', 'Q8H', 3, '1', 8);
insert into yz_frequency values ('QN', '每晚一次', 'MWYC', 'QN', 1, '1', 9);
insert into yz_frequency values ('PRN', '必要时', 'BYS', 'PRN', 1, '0', 10);

insert into yz_supply values ('01', '口服', 'KF', 'PO', '1', 1);
insert into yz_supply values ('02', '静脉滴注', 'JMDZ', 'IVGTT', '2', 2);
insert into yz_supply values ('03', '静脉注射', 'JMZS', 'IV', '2', 3);
insert into yz_supply values ('04', '肌肉注射', 'JRZS', 'IM', '2', 4);
insert into yz_supply values ('05', '皮下注射', 'PXZS', 'H', '2', 5);
insert into yz_supply values ('06', '外用', 'WY', 'EXT', '3', 6);

insert into yz_comment_dict values ('01', '饭后服', 'FHF', '01');
insert into yz_comment_dict values ('02', '皮试', 'PS', '02');
insert into yz_comment_dict values ('03', '慢滴', 'MD', '03');

insert into yz_configure values (1, '1', 'Z0006', 'Z0007', '1', 25, 25, '0');
insert into yz_order_no values ('new', 1000);
insert into yz_order_no values ('new1', 5000);
