create table t_tddbh (
  ksh char(14),
  bh double,
  primary key(ksh))