#include "workspace/ZyStateText.h"

#include "templates/ZyCSMB.h"
#include "workspace/MainDM.h"
#include "workspace/WorkspaceText.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// A score rounded to a whole number, halves to even.
QString RoundedScore(double score)
{
    return QString::number(qint64(std::nearbyint(score)));
}

QString MajorClassText(const TMainDM &dm, int zyLb)
{
    if (zyLb < 1 || zyLb >= dm.ZyLbMcList.size() || dm.ZyLbMcList[zyLb] == u"."_s)
        return {};
    return u"%1 %2"_s.arg(zyLb, 2).arg(dm.ZyLbMcList[zyLb]);
}

} // namespace

const QStringList &ZyStateColumnCaptions()
{
    static const QStringList captions{u"代号"_s,     u"专业代码"_s, u"专业名称"_s, u"专业类别"_s,
                                      u"投档单位"_s, u"学制"_s,     u"专业模板"_s, u"体检受限类"_s,
                                      u"可选科目"_s, u"计划数"_s,   u"预录数"_s,   u"最高分"_s,
                                      u"最低分"_s,   u"平均分"_s};
    return captions;
}

TZyStateRow ZyStateRowOf(const TMainDM &dm, const TJHItem &jh)
{
    const bool returned = jh.IsPseudo && jh.JhId == dm.JhRecCount;
    const qsizetype count = jh.KsList.size();
    const TCurrentTDDWItem *unit = dm.Order.Unit(jh.TDDW);
    TZyStateRow row;
    QString name = jh.Zymc;
    if (jh.IsPseudo)
        name = returned ? u"退档"_s : u"未确定专业"_s;
    row.Cells = {jh.ZYDH,
                 jh.ZyDM,
                 name,
                 MajorClassText(dm, jh.ZyLbDm),
                 unit ? unit->TDDWDM + u' ' + unit->TDDWMC : QString(),
                 jh.Xz,
                 jh.MB ? u'(' + jh.MB->FMBH + u')' + jh.MB->FMBMC : QString(),
                 jh.TjSxDmText(),
                 jh.AllowedCourseStr,
                 jh.IsPseudo ? QString() : QString::number(jh.FJhs()),
                 QString::number(count),
                 count ? ShortestDecimalText(jh.MaxScore) : QString(),
                 count ? ShortestDecimalText(jh.MinScore) : QString(),
                 count ? QString::number(jh.AveScore, 'f', 1) : QString()};
    const qsizetype left = jh.FJhs() - count;
    row.Picture = left > 0 ? 0 : (left == 0 ? 1 : 2);
    if (jh.IsPseudo)
        row.ListLine = name + u" ["_s + QString::number(count) + u']';
    else
        row.ListLine = (unit ? unit->TDDWDM : QString()) + u'-' + jh.ZYDH + u' ' + jh.Zymc + u" ["_s +
                       QString::number(jh.FJhs()) + u'/' + QString::number(count) + u']';
    if (count)
        row.ListLine += u'[' + RoundedScore(jh.MaxScore) + u'-' + RoundedScore(jh.MinScore) + u']';
    return row;
}
