select top 1 *
from T_TDD in "/home/u/ZelkinCUniv.mdb" where instr(1, "111;151;", pcdm + kldm + jhxz, 0) > 0