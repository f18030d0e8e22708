// The list placeholders of the candidate pages: the score table, the wishes and the
// restricted majors.
#include "details/DNFormat.h"
#include "details/DNPageBuilder.h"
#include "store/SqlQuery.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

using namespace Qt::StringLiterals;

namespace {

QString Nth(const QString &stem, int n)
{
    return stem + QString::number(n);
}

// Format(FMT, a1, b1, a2, b2 …) for each group of `per` texts; an odd list was padded.
QString PairedLines(const QString &format, const QStringList &texts, int per)
{
    QString out;
    for (qsizetype i = 0; i + per <= texts.size(); i += per) {
        QVariantList args;
        for (int k = 0; k < per; ++k)
            args.append(texts[i + k]);
        out += DNFormat(format, args);
    }
    return out;
}

int ZyTzTable(const TMainDM &dm)
{
    return dm.GetDMTableIndex(u"TD_ZYTZDM"_s);
}

} // namespace

QString TDNPageBuilder::ScoreTableStr(const QString &StrParam, int)
{
    const bool ranked = ZKMainDef().RankScoreSupported;
    QStringList pairs{ranked ? u"辅助投档分"_s : u"总分"_s,
                      Dossier(u"CJ"_s),
                      u"特征成绩"_s,
                      Dossier(u"TZCJ"_s),
                      u"投档成绩"_s,
                      Dossier(u"TDCJ"_s)};
    const QList<TDMRec> &items = FDm.DMTables[size_t(TD_CJXDM)];
    for (qsizetype row = 0; row < items.size(); ++row) {
        QString value = Dossier(u"GKCJX"_s + items[row].DM);
        if (value.isEmpty())
            continue;
        const int rankId = FDm.CourseRankIdArray.value(row, -1);
        if (ranked && rankId >= 0) {
            bool ok = false;
            const int grade = value.trimmed().toInt(&ok);
            value = FDm.GetRankDesc(rankId, ok ? grade : -1);
        }
        pairs << items[row].DM + u' ' + items[row].DMMC << value;
    }
    if ((pairs.size() / 2) % 2 == 1)
        pairs << u" "_s << u" "_s;
    return PairedLines(StrParam, pairs, 4);
}

QString TDNPageBuilder::FeatureLine(const QString &zytz) const
{
    const int table = ZyTzTable(FDm);
    QString line = u"　　　　特征: "_s;
    for (const QChar c : zytz)
        line += c + CodeName(table, QString(c)) + u' ';
    return line;
}

QString TDNPageBuilder::AdjustmentLine(const QString &zyzytj, const QString &dxtj)
{
    return DNFormat(u"　　　　%s专业调剂　　%s定向调剂"_s,
                    {zyzytj == u"0"_s ? u"不允许"_s : u"允许"_s, dxtj == u"0"_s ? u"不允许"_s : u"允许"_s});
}

void TDNPageBuilder::AppendQBZYKLines(QStringList &lines, bool &found)
{
    TMainDM::ShareUse share(FDm);
    TSqlQuery query(&FDm.UnivShareConn);
    query.SetSQL(u"select * from T_QBZYK where KSH = :ksh order by rowid"_s);
    query.SetTextParam(u"ksh"_s, Ksh);
    QString previousKey;
    bool first = true;
    for (query.Open(); !query.Eof(); query.Next()) {
        found = true;
        const QString pcdm = query.AsString(u"PCDM"_s);
        const QString kldm = query.AsString(u"KLDM"_s);
        const QString jhxzdm = query.AsString(u"JHXZDM"_s);
        const QString zyh = query.AsString(u"ZYH"_s);
        const QString key = pcdm + kldm + jhxzdm + zyh;
        if (first || key != previousKey) {
            if (first || pcdm != previousKey.left(1))
                lines.append(pcdm + u' ' + FDm.GetDMMC(TD_PCDM, pcdm));
            lines.append(
                DNFormat(u"　　第 %s 志愿 (%s %s，%s %s) %s %s"_s,
                         {zyh, kldm, FDm.GetDMMC(TD_KLDM, kldm), jhxzdm, FDm.GetDMMC(TD_JHXZDM, jhxzdm),
                          query.AsString(u"YXDH"_s), query.AsString(u"YXMC"_s)}));
        }
        previousKey = key;
        first = false;
        const QString tddw = query.AsString(u"TDDW"_s);
        for (int n = 1; n <= 6; ++n) {
            const QString zydh = query.AsString(Nth(u"ZYDH"_s, n));
            if (zydh != u"  "_s)
                lines.append(
                    DNFormat(u"　　　　%s-%-6s%s"_s, {tddw, zydh, query.AsString(Nth(u"ZYMC"_s, n))}));
        }
        lines.append(FeatureLine(query.AsString(u"ZYTZ"_s)));
        lines.append(AdjustmentLine(query.AsString(u"ZYZYTJ"_s), query.AsString(u"DXTJ"_s)));
    }
}

void TDNPageBuilder::AppendDossierWishLines(QStringList &lines)
{
    const QString pcdm = Dossier(u"PCDM"_s);
    const QString kldm = Dossier(u"KLDM"_s);
    const QString jhxz = Dossier(u"JHXZ"_s);
    const TZKMainDef &def = ZKMainDef();
    lines.append(pcdm + u' ' + FDm.GetDMMC(TD_PCDM, pcdm));
    lines.append(DNFormat(u"　　第 %s 志愿 (%s %s，%s %s) %s %s"_s,
                          {Dossier(u"TDZY"_s), kldm, FDm.GetDMMC(TD_KLDM, kldm), jhxz,
                           FDm.GetDMMC(TD_JHXZDM, jhxz), def.InstitutionCode, def.InstitutionName}));
    for (int n = 1; n <= 6; ++n) {
        const QString unit = Dossier(Nth(u"TDDWDM"_s, n));
        const QString major = Dossier(Nth(u"ZYDH"_s, n));
        if (unit == u"   "_s || major == u"  "_s)
            continue;
        QString line = DNFormat(u"　　　　%s-%-6s"_s, {unit, major});
        const int jhId = FDm.GetZyId(FDm.GetCurrentTDDWId(unit), major);
        if (jhId >= 0 && jhId < FDm.JhRecCount)
            line += FDm.Jh(jhId)->Zymc;
        lines.append(line);
    }
    lines.append(FeatureLine(Dossier(u"ZYTZ"_s)));
    lines.append(AdjustmentLine(Dossier(u"ZYZYTJ"_s), Dossier(u"DXTJ"_s)));
}

QStringList TDNPageBuilder::WishLines()
{
    QStringList lines;
    if (CodeCharValue(Dossier(u"TDZY"_s)) == 0) {
        QString line = u"该考生是由招办调剂到你校的，服从下列专业类别: "_s;
        const QString classes = Dossier(u"ZYTJFC"_s);
        const int count = qMin(int(classes.size()), FDm.ZyLbCount());
        for (int i = 1; i <= count; ++i) {
            if (classes[i - 1] == u'1')
                line += DNFormat(u"%d %s  "_s, {i, FDm.ZyLbMcList.value(i)});
        }
        lines.append(line);
    }
    bool found = false;
    AppendQBZYKLines(lines, found);
    if (!found)
        AppendDossierWishLines(lines);
    return lines;
}

QString TDNPageBuilder::WishesStr(const QString &StrParam, int)
{
    const qsizetype split = StrParam.indexOf(u"##"_s);
    const QString lineFormat = split < 0 ? StrParam : StrParam.left(split);
    const QString linkFormat = split < 0 ? QString() : StrParam.mid(split + 2);
    QString out;
    for (const QString &line : WishLines())
        out += DNFormat(lineFormat, QVariantList{line});
    if (ZKMainDef().IsConnected)
        out +=
            DNFormat(linkFormat,
                     QVariantList{QString(u"<a href=\""_s + CurHtmlFileName + u"?z\">下载全部志愿</a>"_s)});
    return out;
}

QString TDNPageBuilder::RestrictedMajorsStr(const QString &StrParam, int)
{
    bool ok = false;
    int tjjl = Tjxx(u"TJJLDM"_s).trimmed().toInt(&ok);
    if (!ok)
        tjjl = 1;
    QStringList items;
    if (tjjl == 2) {
        QStringList codes;
        for (int n = 1; n <= 6; ++n) {
            const QString code = Tjxx(Nth(u"ZYSXDM"_s, n));
            if (!code.trimmed().isEmpty())
                codes.append(code);
        }
        for (int id = 0; id < FDm.JhRecCount; ++id) {
            const TJHItem *jh = FDm.Jh(id);
            const bool barred = std::any_of(codes.cbegin(), codes.cend(),
                                            [&](const QString &c) { return jh->TjSxDmList.contains(c); });
            if (barred)
                items.append(jh->GetTDDW_ZYDH() + u' ' + jh->Zymc);
        }
    } else if (tjjl == 3) {
        items.append(u"(所有专业均受限)"_s);
    }
    if (items.isEmpty())
        items.append(u"(无)"_s);
    if (items.size() % 2 == 1)
        items.append(u" "_s);
    return PairedLines(StrParam, items, 2);
}
