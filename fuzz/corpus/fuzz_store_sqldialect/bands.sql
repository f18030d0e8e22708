select int(ZYYTJZCJ / 10) as step_cj, count(*) as ks_num
from t_tdd
where pcdm = :pcdm and kldm = :kldm and jhxz = :jhxz
  and not ZYYTJZCJ is null
group by int(ZYYTJZCJ / 10)