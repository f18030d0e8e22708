// The text of every grid cell by its column letter.
#include "store/ZKMainDef.h"
#include "templates/FieldValues.h"
#include "workspace/MainDM.h"
#include "workspace/WorkspaceText.h"

using namespace Qt::StringLiterals;

namespace {

QString WithCode(bool showCodes, const QString &code, const QString &text)
{
    return showCodes ? QString(code + u' ' + text) : text;
}

// Delphi-style trim: characters up to the space at either end are dropped.
QString TrimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QString TMainDM::AdjustmentText(const TKSItem *AKsItem, const TZKColumnRec &PZKColumn) const
{
    const QString s = QueryText(AKsItem, PZKColumn.MainField);
    const qsizetype n = std::min<qsizetype>(s.size(), ZyLbCount());
    QString list;
    for (qsizetype i = 0; i < n; ++i) {
        if ((s[i] == u'1') != AKsItem->IsMoreZyLbFc)
            list += u"%1,"_s.arg(i + 1);
    }
    if (list.isEmpty())
        return AKsItem->IsMoreZyLbFc ? u"都服从"_s : u"都不服从"_s;
    list.chop(1);
    return AKsItem->IsMoreZyLbFc ? QString(u"除"_s + list + u"外服从"_s) : QString(list + u"服从"_s);
}

QString TMainDM::GetTddFieldStr(const TKSItem *k, const TZKColumnRec &col) const
{
    const bool showCodes = ZKMainDef().ShowCodes;
    switch (col.ColType.unicode()) {
    case u'A':
    case u'K':
    case u'S':
    case u'X':
        return QueryText(k, col.MainField);
    case u'B':
        return QString::number(k->TDDBH);
    case u'C': {
        const QString v = QueryText(k, col.MainField);
        if (col.DMTableIndex >= 0) {
            const int id = GetDMId(col.DMTableIndex, v);
            if (id >= 0)
                return WithCode(showCodes, v, GetDMMC(col.DMTableIndex, id));
        }
        return v;
    }
    case u'D': {
        const QString v = QueryText(k, col.MainField);
        return WithCode(showCodes, v, v == u"0"_s ? u"否"_s : u"是"_s);
    }
    case u'Y': {
        const QString v = QueryText(k, col.MainField);
        return WithCode(showCodes, v, v == u"1"_s ? u"是"_s : u"否"_s);
    }
    case u'F':
        return AdjustmentText(k, col);
    case u'H': {
        if (!k->TjjlHg)
            return u"不合格"_s;
        QStringList codes;
        for (int i = 1; i <= 6; ++i) {
            if (k->TjSxDm[size_t(i)] != u"  "_s)
                codes.append(k->TjSxDm[size_t(i)]);
        }
        return codes.join(u',');
    }
    case u'I':
        return QString::number(k->KsIndex + 1);
    case u'J':
        switch (col.Tag) {
        case 0:
            return k->ZyytJzCj <= NoScoreValue ? QString() : ShortestDecimalText(k->ZyytJzCj);
        case 1:
            return k->ZyytTddwDxCj <= NoScoreValue ? QString() : ShortestDecimalText(k->ZyytTddwDxCj);
        case 2:
            return k->FjBjRankPermDesc;
        case 3:
            return k->ZyytRankPermDesc;
        default:
            return {};
        }
    case u'N': {
        if (col.DMTableIndex < 0)
            return QueryText(k, col.MainField);
        // A text that is no grade number (damaged data) gives no grade text, as -1 does.
        const TDbValue &v = QueryValue(k, col.MainField);
        return v.IsNull() ? QString() : GetRankDesc(col.DMTableIndex, IntOrDefault(v, -1));
    }
    case u'R':
        return GetRankSetDesc(col.DMTableIndex, QueryText(k, col.MainField));
    case u'T':
        return CodesText(TrimBlanks(QueryText(k, col.MainField)), col.DMTableIndex, showCodes);
    case u'W': {
        const TCurrentTDDWItem *unit = Order.Unit(k->Tddw);
        if (!unit)
            return QueryText(k, col.MainField);
        return WithCode(showCodes, unit->TDDWDM, unit->TDDWMC);
    }
    case u'Z':
        return MajorText(k, col);
    default:
        return {};
    }
}

QString TMainDM::CodesText(const QString &t, int table, bool showCodes) const
{
    QString names;
    if (table == TD_CJXDM) {
        // Two-character codes, each followed by one separator.
        for (qsizetype i = 0; i < (t.size() + 1) / 3; ++i) {
            const QString code = t.mid(3 * i, 2);
            if (GetDMId(table, code) >= 0)
                names += GetDMMC(table, code) + u' ';
        }
    } else if (table >= 0) {
        for (const QChar c : t) {
            if (GetDMId(table, QString(c)) >= 0)
                names += GetDMMC(table, QString(c)) + u' ';
        }
    }
    return showCodes ? t + u' ' + names : names;
}

QString TMainDM::MajorText(const TKSItem *k, const TZKColumnRec &col) const
{
    const bool showCodes = ZKMainDef().ShowCodes;
    if (k->ZhiYuanXh == 0 && col.Tag >= 1)
        return col.Tag == 1 ? u"◆"_s + AdjustmentText(k, col) : QString();
    int m = k->YTZyId;
    if (col.Tag >= 1) {
        if (col.Tag > 6)
            return {};
        m = k->ZyId[size_t(col.Tag)];
    }
    if (m < 0 || m >= int(JhTable.size()))
        return {};
    const TJHItem &jh = *Jh(m);
    const bool real = m < JhRecCount;
    QString text = showCodes && real ? jh.GetTDDW_ZYDH() + u' ' + jh.Zymc : jh.Zymc;
    if (col.Tag == 0) {
        if (real) {
            if (showCodes)
                text = (k->ZyXh == 0 ? u"  "_s : QString::number(k->ZyXh) + u' ') + text;
            else
                text = (k->ZyXh == 0 ? u" "_s : QString::number(k->ZyXh)) + text;
            if (k->KsZt == 2)
                text = u"预退["_s + text + u']';
        } else if (m == JhRecCount) {
            text = u"退档"_s;
        }
    }
    return text;
}
