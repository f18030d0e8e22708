// The placeholders of the candidate pages: fields, status, remark box, health check,
// proficiency scores, photo cell and résumé.
#include "details/DNFormat.h"
#include "details/DNPageBuilder.h"
#include "store/SqlQuery.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QDate>
#include <QDateTime>

using namespace Qt::StringLiterals;

namespace {

const QString ParagraphBreak = u"</p><p class=zktabledefault>"_s;

// The texts of the value groups, for the values first, first + 1 …
struct TValueTexts
{
    int First;
    QStringList Texts;
};

const TValueTexts &GroupTexts(int group)
{
    static const QList<TValueTexts> groups{
        {0, {u"否"_s, u"是"_s}},
        {0, {u"有"_s, u"无"_s}},
        {0, {u"迟钝"_s, u"正常"_s}},
        {0, {u"是"_s, u"否"_s}},
        {1, {u"正常"_s, u"其他"_s}},
        {1, {u"标准色觉检查图"_s, u"其他"_s}},
        {1, {u"合格"_s, u"专业受限"_s, u"不合格"_s}},
        {1, {u"良"_s, u"中"_s, u"差"_s}},
    };
    return groups.at(qBound(0, group, int(groups.size()) - 1));
}

// A value as the page shows it: a date without a time of day as the date alone.
QString DateText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime dt = value.toDateTime();
        return dt.time() == QTime(0, 0) ? dt.date().toString(u"yyyy-MM-dd"_s)
                                        : dt.toString(u"yyyy-MM-dd HH:mm:ss"_s);
    }
    return SqlValueText(value);
}

} // namespace

QString DNValueText(const QString &value, int group)
{
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    const TValueTexts &texts = GroupTexts(group);
    if (!ok || n < texts.First || n >= texts.First + texts.Texts.size())
        return value;
    return value + u' ' + texts.Texts[n - texts.First];
}

QString TDNPageBuilder::Dossier(const QString &field) const
{
    return DateText(FDossier.value(field.toUpper()));
}

QString TDNPageBuilder::Tjxx(const QString &field) const
{
    return DateText(FTjxx.value(field.trimmed().toUpper()));
}

QString TDNPageBuilder::CodeName(int table, const QString &code) const
{
    return table < 0 ? QString() : FDm.GetDMMC(table, code);
}

QString TDNPageBuilder::LiteralStr(const QString &StrParam, int)
{
    return StrParam;
}

QString TDNPageBuilder::ParamStr(const QString &StrParam, int)
{
    return StrParam;
}

QString TDNPageBuilder::DossierFieldStr(const QString &StrParam, int)
{
    const auto type = FFieldTypes.constFind(StrParam.trimmed().toUpper());
    if (type == FFieldTypes.constEnd())
        return StrParam;
    const QString value = Dossier(StrParam.trimmed());
    switch (type->Letter.unicode()) {
    case u'C':
        return value + u' ' + CodeName(FDm.GetDMTableIndex(type->DMK), value);
    case u'D':
    case u'Y':
        return DNValueText(value, vgYesNo);
    case u'T': {
        const int table = FDm.GetDMTableIndex(type->DMK);
        QString names;
        for (const QChar c : value)
            names += CodeName(table, QString(c)) + u' ';
        return names;
    }
    case u'W':
        return CurrentUnitText();
    default:
        return value;
    }
}

QString TDNPageBuilder::CurrentUnitText() const
{
    const int unit = KsZtHasMajor(KsItem->KsZt) ? KsItem->DqTddw : KsItem->Tddw;
    if (unit < 0 || unit >= int(FDm.CurrentTDDWTable.size()))
        return QString();
    const TCurrentTDDWItem &item = *FDm.CurrentTDDWTable[size_t(unit)];
    return item.TDDWDM + u' ' + item.TDDWMC;
}

QString TDNPageBuilder::RemarkBoxStr(const QString &, int)
{
    QString text;
    const int zt = KsItem->KsZt;
    if (KsZtHasMajor(zt)) {
        if (!KsItem->TjHg) {
            text = u"考生体检结果与该专业有冲突"_s;
            if (KsItem->TjjlHg) {
                text += u"(第"_s;
                const bool realMajor = KsItem->LqZyId >= 0 && KsItem->LqZyId < int(FDm.JhTable.size());
                for (int i = 1; i <= 6 && realMajor; ++i) {
                    if (FDm.Jh(KsItem->LqZyId)->TjSxDmList.contains(KsItem->TjSxDm[size_t(i)]))
                        text += u' ' + KsItem->TjSxDm[size_t(i)];
                }
                text += u" 项受限)"_s;
            } else {
                text += u"(考生体检不合格)"_s;
            }
        }
        if (!KsItem->ZyHg) {
            if (!text.isEmpty())
                text += ParagraphBreak;
            text += u"考生的特征与专业该专业录取要求不符"_s;
        }
    } else if (KsZtIsReturned(zt)) {
        text = Dossier(u"BZ"_s);
    }
    text.replace(u"\r\n"_s, ParagraphBreak);
    return u"<span style='font-size:11.0pt;font-family:宋体;color:black'><p class=zktabledefault>"_s + text +
           u"</p></span>"_s;
}

QString TDNPageBuilder::CodeFieldStr(const QString &StrParam, int IntParam)
{
    const QString value = Dossier(StrParam.trimmed());
    return value + u' ' + CodeName(IntParam, value);
}

QString TDNPageBuilder::StatusStr(const QString &, int IntParam)
{
    const int zt = KsItem->KsZt >= 0 && KsItem->KsZt <= 5 ? KsItem->KsZt : 0;
    if (IntParam == 0)
        return KsZtText(zt);
    if (IntParam == 1)
        return KsZtValueLabel(zt);
    return QString();
}

QString TDNPageBuilder::KstzStr(const QString &, int)
{
    return Dossier(u"kstz"_s);
}

QString TDNPageBuilder::AdjustedScoreStr(const QString &, int)
{
    if (KsItem->ZyytTddwDxCj > -1000000)
        return QString::number(KsItem->ZyytTddwDxCj, 'g', QLocale::FloatingPointShortest);
    return u"(跨投档单位)"_s;
}

QString TDNPageBuilder::DecisionStr(const QString &, int)
{
    const int zt = KsItem->KsZt;
    if (KsZtHasMajor(zt)) {
        if (KsItem->LqZyId < 0 || KsItem->LqZyId >= int(FDm.JhTable.size()))
            return QString();
        const TJHItem *jh = FDm.Jh(KsItem->LqZyId);
        return jh->ZYDH + u' ' + jh->Zymc;
    }
    if (KsZtIsReturned(zt)) {
        const QString code = Dossier(u"TDYYDM"_s);
        return code + u' ' + FDm.GetDMMC(TD_TDYYDM, code);
    }
    return QString();
}

QString TDNPageBuilder::TjxxStr(const QString &StrParam, int)
{
    return Tjxx(StrParam);
}

QString TDNPageBuilder::TjxxValueStr(const QString &StrParam, int IntParam)
{
    return DNValueText(Tjxx(StrParam), IntParam);
}

QString TDNPageBuilder::ProficiencyStr(const QString &, int IntParam)
{
    return IntParam >= 1 && IntParam <= 10 ? HKCJArray[size_t(IntParam)] : QString();
}

QString TDNPageBuilder::YearProvinceStr(const QString &, int)
{
    return QDate::currentDate().toString(u"yyyy"_s) + u"年"_s + ZKMainDef().LoginInfo.SSMC;
}

QString TDNPageBuilder::PhotoCellStr(const QString &, int)
{
    if (CurPhotoDownloaded)
        return u"<img width=96 height=128 src=\""_s + CurPhotoFileName + u"\">"_s;
    if (!ZKMainDef().IsConnected || ZKMainDef().AutoPhoto)
        return u"照片"_s;
    return u"<a href=\""_s + CurHtmlFileName + u"?i\">下载照片</a>"_s;
}

QString TDNPageBuilder::ResumeStr(const QString &StrParam, int)
{
    TSqlQuery query(&FDm.UnivConn);
    query.SetSQL(u"select * from T_KSJL where KSH = :ksh"_s);
    query.SetTextParam(u"ksh"_s, Ksh);
    QList<QVariantList> rows;
    for (query.Open(); !query.Eof(); query.Next()) {
        rows.append({DateText(query.Value(u"QSRQ"_s)), DateText(query.Value(u"ZJRQ"_s)),
                     query.AsString(u"JL"_s), query.AsString(u"RHZW"_s), query.AsString(u"ZMR"_s)});
    }
    if (rows.isEmpty())
        return DNFormat(StrParam, {QString(), QString(), u"(空)"_s, QString(), QString()});
    QString out;
    for (auto row = rows.crbegin(); row != rows.crend(); ++row)
        out += DNFormat(StrParam, *row);
    return out;
}
