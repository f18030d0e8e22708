#pragma once

#include "WorkspaceFixture.h"

// A workspace whose set 1/1/1 shows four fields and hides three, with the order texts
// (XH) and must-show marks (BX) of the field table:
//   shown:  KSH 考生号 (XH "01", must show), XM 姓名 ("02"), ZYYTJZCJ 基准成绩 ("05"),
//           LQZY 录取专业 ("06")
//   hidden: SFZH 身份证号 ("a2"), BYXX 毕业学校 ("B1"), ZYDH1 专业1 ("c3", must show)
// The set 2/1/1 has a layout of the same fields in its own order, which only the
// apply-to-all choice changes.
class TOptionsFixture : public TWorkspaceFixture
{
public:
    TOptionsFixture();

    // ZDDH of the set's fields ordered by WZSY ("-" for hidden fields), "ZDDH:WZSY" each.
    QStringList Layout(const QString &pcdm);
    // ZDDH:KD of a set's fields, in ZDDH order.
    QStringList Widths(const QString &pcdm);
};
