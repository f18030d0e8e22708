insert into t_tdd
select KSH,XM from t_tdd_tmp