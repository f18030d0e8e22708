#include "OptionsFixture.h"

using namespace Qt::StringLiterals;

TOptionsFixture::TOptionsFixture()
{
    SetColumns({{u"KSH"_s, u"考生号"_s, u""_s, u"K"_s},
                {u"XM"_s, u"姓名"_s, u""_s, u"X"_s},
                {u"ZYYTJZCJ"_s, u"基准成绩"_s, u""_s, u"J"_s},
                {u"LQZY"_s, u"录取专业"_s, u""_s, u"Z"_s}});
    QStringList statements;
    for (const QStringList &f : QList<QStringList>{{u"SFZH"_s, u"身份证号"_s, u"S"_s, u"a2"_s, u"0"_s},
                                                   {u"BYXX"_s, u"毕业学校"_s, u"S"_s, u"B1"_s, u"0"_s},
                                                   {u"ZYDH1"_s, u"专业1"_s, u"Z"_s, u"c3"_s, u"2"_s}}) {
        statements
            << u"insert into T_TDDZDSX (ZDDH, ZDMC, DMK, ZDLX, XH, BX) values (\"%1\", \"%2\", \"\", \"%3\", "
               "\"%4\", \"%5\")"_s.arg(f[0], f[1], f[2], f[3], f[4])
            << u"insert into T_TDDZDXHKD (PCDM, KLDM, JHXZ, ZDDH, WZSY, KD, DYWZ, DYKD) "
               "values (\"1\", \"1\", \"1\", \"%1\", -1, 70, -1, 70)"_s.arg(f[0]);
    }
    for (const QStringList &f : QList<QStringList>{{u"KSH"_s, u"01"_s, u"1"_s},
                                                   {u"XM"_s, u"02"_s, u"0"_s},
                                                   {u"ZYYTJZCJ"_s, u"05"_s, u"x"_s},
                                                   {u"LQZY"_s, u"06"_s, u""_s}})
        statements << u"update T_TDDZDSX set XH = \"%1\", BX = \"%2\" where ZDDH = \"%3\""_s.arg(f[1], f[2],
                                                                                                 f[0]);
    // Set 2/1/1: its own order and widths.
    const QList<QPair<QString, int>> second{{u"LQZY"_s, 0},  {u"KSH"_s, 1},       {u"SFZH"_s, 2},
                                            {u"XM"_s, -1},   {u"ZYYTJZCJ"_s, -1}, {u"BYXX"_s, -1},
                                            {u"ZYDH1"_s, -1}};
    for (const auto &[zddh, wzsy] : second)
        statements << u"insert into T_TDDZDXHKD (PCDM, KLDM, JHXZ, ZDDH, WZSY, KD, DYWZ, DYKD) "
                      "values (\"2\", \"1\", \"1\", \"%1\", %2, 33, -1, 33)"_s.arg(zddh)
                          .arg(wzsy);
    Exec(statements);
}

QStringList TOptionsFixture::Layout(const QString &pcdm)
{
    QStringList out;
    for (const QString &row :
         Rows(u"select ZDDH, WZSY from T_TDDZDXHKD where PCDM = \"%1\" order by WZSY, ZDDH"_s.arg(pcdm))) {
        const QStringList parts = row.split(u'|');
        out << (parts[1].toInt() < 0 ? QString(parts[0] + u":-"_s) : QString(parts[0] + u':' + parts[1]));
    }
    return out;
}

QStringList TOptionsFixture::Widths(const QString &pcdm)
{
    QStringList out;
    for (const QString &row :
         Rows(u"select ZDDH, KD from T_TDDZDXHKD where PCDM = \"%1\" order by ZDDH"_s.arg(pcdm)))
        out << QString(row).replace(u'|', u':');
    return out;
}
