update t_yxzt
set yxdm="10001",
  yxmc="北方"大学"
  ,yhm="zy01",
  creation_time=now