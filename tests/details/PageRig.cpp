#include "PageRig.h"

#include "store/SqlQuery.h"
#include "store/ZKMainDef.h"

#include <QDate>

using namespace Qt::StringLiterals;

TPageRig::TPageRig(bool graded)
    : F(graded)
    , B(F.Dm())
{
    QString tjxx = u"create table t_tjxx (KSH text(14) with comp, TJJLDM text(1) with comp, "_s;
    for (int n = 1; n <= 6; ++n)
        tjxx += u"ZYSXDM%1 text(2) with comp, "_s.arg(n);
    tjxx += u"NK_FYQK text(1) with comp, JWBSBZ text(1) with comp, KQ_SFKC text(1) with comp, "
            "YK_SJJCT text(1) with comp, EB_XJ text(1) with comp, YK_SJ text(1) with comp, TJRQ datetime, "
            "WK_SG double, primary key (KSH))"_s;
    F.Exec(
        {tjxx,
         u"create table T_KSHKCJ (KSH text(14) with comp, CJXDM text(2) with comp, CJ text(10) with comp)"_s,
         u"create table T_KSJL (KSH text(14) with comp, QSRQ datetime, ZJRQ datetime, JL text(100) with "
         u"comp, "
         "RHZW text(20) with comp, ZMR text(20) with comp)"_s});
    QString qbzy =
        u"create table T_QBZYK (KSH text(14) with comp, PCDM text(1) with comp, KLDM text(1) with comp, "
        "JHXZDM text(1) with comp, ZYH text(1) with comp, TDDW text(3) with comp, YXDH text(5) with comp, "
        "YXMC text(40) with comp, ZYTZ text(10) with comp, ZYZYTJ text(1) with comp, DXTJ text(1) with comp"_s;
    for (int n = 1; n <= 6; ++n)
        qbzy += u", ZYDH%1 text(2) with comp, ZYMC%1 text(40) with comp"_s.arg(n);
    F.ExecShare({qbzy + u")"_s});
    F.Exec({u"alter table T_TDD add column TZCJ double"_s, u"alter table T_TDD add column TDCJ double"_s,
            u"alter table T_TDD add column ZYTZ text(10) with comp"_s,
            u"alter table T_TDD add column DXTJ text(1) with comp"_s,
            u"alter table T_TDD add column GKCJX02 double"_s,
            u"alter table T_TDD add column KSTZ text(40) with comp"_s});
    ZKMainDef().LoginInfo.DownloadFolder = Download.path() + u'/';
}

void TPageRig::Open()
{
    F.Open();
    B.ReadFieldTypes();
}

void TPageRig::AddTjxx(const QString &ksh, const QMap<QString, QString> &values)
{
    QStringList names{u"KSH"_s}, params{u":p0"_s};
    QVariantList args{ksh};
    for (auto it = values.begin(); it != values.end(); ++it) {
        names.append(it.key());
        params.append(u":p%1"_s.arg(params.size()));
        args.append(it.value());
    }
    TSqlQuery q(&F.Univ());
    q.SetSQL(u"insert into t_tjxx (%1) values (%2)"_s.arg(names.join(u','), params.join(u',')));
    for (int i = 0; i < args.size(); ++i)
        q.SetParam(u"p%1"_s.arg(i), args[i]);
    q.ExecSQL();
}

void TPageRig::AddHkcj(const QString &ksh, const QString &cjxdm, const QString &cj)
{
    F.Exec({u"insert into T_KSHKCJ values (\"%1\", \"%2\", \"%3\")"_s.arg(ksh, cjxdm, cj)});
}

void TPageRig::AddKsjl(const QString &ksh, const QDate &from, const QDate &to, const QString &jl)
{
    TSqlQuery q(&F.Univ());
    q.SetSQL(u"insert into T_KSJL values (:k, :f, :t, :j, \"学生\", \"老师\")"_s);
    q.SetParam(u"k"_s, ksh);
    q.SetParam(u"f"_s, QDateTime(from, QTime(0, 0)));
    q.SetParam(u"t"_s, QDateTime(to, QTime(0, 0)));
    q.SetParam(u"j"_s, jl);
    q.ExecSQL();
}

void TPageRig::AddQbzy(const QString &ksh, const QStringList &row, const QStringList &majors)
{
    QStringList values{ksh};
    values += row;
    for (int n = 0; n < 6; ++n) {
        const QString m = majors.value(n);
        values.append(m.isEmpty() ? u"  "_s : m.left(2));
        values.append(m.mid(3));
    }
    for (QString &v : values)
        v = u'"' + v + u'"';
    F.ExecShare({u"insert into T_QBZYK values (%1)"_s.arg(values.join(u','))});
}

void TPageRig::SetDossier(const QString &ksh, const QString &field, const QVariant &value)
{
    TSqlQuery q(&F.Univ());
    q.SetSQL(u"update T_TDD set %1 = :v where KSH = :k"_s.arg(field));
    q.SetParam(u"v"_s, value);
    q.SetParam(u"k"_s, ksh);
    q.ExecSQL();
}

QString TPageRig::Page(const QString &ksh, const QString &templateText)
{
    B.SetTemplate(0, templateText);
    B.SetCandidate(ksh, F.Ks(ksh));
    B.WritePage(0, Download.path() + u"/page.htm"_s);
    return TDNPageBuilder::ReadTemplateFile(B.CurHtmlFileName);
}

QString TPageRig::PageError(const QString &ksh, const QString &templateText)
{
    try {
        Page(ksh, templateText);
        return QString();
    } catch (const EZKError &e) {
        return e.Message();
    }
}
