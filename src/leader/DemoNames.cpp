#include "leader/DemoNames.h"

#include "leader/DemoRandom.h"

using namespace Qt::StringLiterals;

namespace demonames {

namespace {

QStringList Chars(const QString &text)
{
    QStringList list;
    for (const QChar c : text)
        list.append(QString(c));
    return list;
}

const QStringList &Surnames()
{
    static const QStringList list =
        Chars(u"王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾"
              "肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏"
              "韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫"_s);
    return list;
}

const QStringList &MaleChars()
{
    static const QStringList list = Chars(u"伟强磊军勇杰涛斌超明刚平辉鹏华飞鑫波宇浩凯健俊帆帅旭宁龙林阳晨"
                                          "博文轩昊然泽瑞子豪天佳皓睿思远航志国建东海峰嘉晓一"_s);
    return list;
}

const QStringList &FemaleChars()
{
    static const QStringList list = Chars(u"芳娜敏静丽艳娟霞秀燕玲桂丹萍红琳晶雪慧颖倩婷洁琪璐瑶欣怡佳雨涵"
                                          "梦诗语可馨悦彤萱晨思嘉月宁雯蕾薇晓一"_s);
    return list;
}

} // namespace

QString PersonName(TDemoRandom &rng, bool female)
{
    const QStringList &given = female ? FemaleChars() : MaleChars();
    QString name = rng.Pick(Surnames()) + rng.Pick(given);
    if (rng.Percent(70))
        name += rng.Pick(given);
    return name;
}

QStringList Districts(const QString &SSDM, const QString &SSMC)
{
    if (SSDM == u"11"_s)
        return {u"东城区"_s,   u"西城区"_s, u"朝阳区"_s, u"丰台区"_s, u"石景山区"_s, u"海淀区"_s,
                u"门头沟区"_s, u"房山区"_s, u"通州区"_s, u"顺义区"_s, u"昌平区"_s,   u"大兴区"_s};
    if (SSDM == u"32"_s)
        return {u"南京市"_s, u"无锡市"_s, u"徐州市"_s, u"常州市"_s, u"苏州市"_s, u"南通市"_s, u"连云港市"_s,
                u"淮安市"_s, u"盐城市"_s, u"扬州市"_s, u"镇江市"_s, u"泰州市"_s, u"宿迁市"_s};
    QStringList list;
    for (int i = 1; i <= 10; ++i)
        list.append(SSMC + u"第%1考区"_s.arg(i));
    return list;
}

QString SchoolName(TDemoRandom &rng, const QString &district)
{
    static const QStringList kinds{u"第一中学"_s, u"第二中学"_s,   u"第三中学"_s, u"第四中学"_s,
                                   u"实验中学"_s, u"外国语学校"_s, u"育才中学"_s, u"师范大学附属中学"_s};
    return district + rng.Pick(kinds);
}

QString PrimarySchoolName(TDemoRandom &rng, const QString &district)
{
    static const QStringList kinds{u"实验小学"_s, u"中心小学"_s, u"第一小学"_s, u"育英小学"_s, u"光明小学"_s};
    return district + rng.Pick(kinds);
}

QString StreetAddress(TDemoRandom &rng)
{
    static const QStringList streets{u"人民路"_s, u"解放路"_s, u"建设路"_s, u"和平街"_s, u"文化路"_s,
                                     u"新华街"_s, u"中山路"_s, u"青年路"_s, u"光明街"_s, u"胜利路"_s};
    return rng.Pick(streets) +
           u"%1号%2单元%3室"_s.arg(rng.Range(1, 300)).arg(rng.Range(1, 6)).arg(rng.Range(101, 1802));
}

QString OtherInstitution(int n)
{
    static const QStringList places{u"东海"_s, u"江南"_s, u"岭南"_s, u"西北"_s, u"中原"_s, u"海西"_s,
                                    u"燕北"_s, u"湘江"_s, u"滨海"_s, u"华中"_s, u"西南"_s, u"东北"_s};
    static const QStringList kinds{u"大学"_s,     u"理工大学"_s, u"师范大学"_s, u"医科大学"_s, u"财经大学"_s,
                                   u"农业大学"_s, u"工业大学"_s, u"科技学院"_s, u"师范学院"_s};
    return places.at(n % places.size()) + kinds.at((n / places.size()) % kinds.size());
}

QList<TMajorInfo> MajorPool(QChar kind)
{
    if (kind == u'L')
        return {{u"050101"_s, u"汉语言文学"_s, 5, u"4"_s, u"05"_s},
                {u"050201"_s, u"英语"_s, 5, u"4"_s, u"05"_s},
                {u"050207"_s, u"日语"_s, 5, u"4"_s, u"05"_s},
                {u"030101"_s, u"法学"_s, 3, u"4"_s, {}},
                {u"060101"_s, u"历史学"_s, 6, u"4"_s, {}},
                {u"010101"_s, u"哲学"_s, 1, u"4"_s, {}},
                {u"050301"_s, u"新闻学"_s, 5, u"4"_s, u"05"_s},
                {u"040106"_s, u"学前教育"_s, 4, u"4"_s, u"05"_s},
                {u"020101"_s, u"经济学"_s, 2, u"4"_s, {}},
                {u"020401"_s, u"国际经济与贸易"_s, 2, u"4"_s, {}},
                {u"120402"_s, u"行政管理"_s, 11, u"4"_s, {}},
                {u"120203"_s, u"会计学"_s, 11, u"4"_s, {}},
                {u"130202"_s, u"音乐学"_s, 12, u"4"_s, {}},
                {u"130401"_s, u"美术学"_s, 12, u"4"_s, u"02"_s}};
    if (kind == u'Z')
        return {{u"510201"_s, u"计算机应用技术"_s, 8, u"3"_s, {}},
                {u"460104"_s, u"机械设计与制造"_s, 8, u"3"_s, {}},
                {u"530302"_s, u"大数据与会计"_s, 11, u"3"_s, {}},
                {u"520201"_s, u"护理"_s, 10, u"3"_s, u"02"_s},
                {u"490101"_s, u"食品智能加工技术"_s, 9, u"3"_s, u"04;07"_s},
                {u"540101"_s, u"旅游管理"_s, 11, u"3"_s, u"05"_s}};
    return {{u"080901"_s, u"计算机科学与技术"_s, 8, u"4"_s, {}},
            {u"080902"_s, u"软件工程"_s, 8, u"4"_s, {}},
            {u"080701"_s, u"电子信息工程"_s, 8, u"4"_s, u"01"_s},
            {u"080703"_s, u"通信工程"_s, 8, u"4"_s, {}},
            {u"080801"_s, u"自动化"_s, 8, u"4"_s, {}},
            {u"080202"_s, u"机械设计制造及其自动化"_s, 8, u"4"_s, {}},
            {u"080207"_s, u"车辆工程"_s, 8, u"4"_s, u"03"_s},
            {u"081001"_s, u"土木工程"_s, 8, u"4"_s, {}},
            {u"070101"_s, u"数学与应用数学"_s, 7, u"4"_s, {}},
            {u"070201"_s, u"物理学"_s, 7, u"4"_s, {}},
            {u"070301"_s, u"化学"_s, 7, u"4"_s, u"01;02"_s},
            {u"070302"_s, u"应用化学"_s, 7, u"4"_s, u"01;02;04"_s},
            {u"071001"_s, u"生物科学"_s, 7, u"4"_s, u"01;02"_s},
            {u"082502"_s, u"环境工程"_s, 8, u"4"_s, u"01"_s},
            {u"082701"_s, u"食品科学与工程"_s, 8, u"4"_s, u"04;07"_s},
            {u"100201"_s, u"临床医学"_s, 10, u"5"_s, u"02;03"_s},
            {u"100701"_s, u"药学"_s, 10, u"4"_s, u"01;02"_s},
            {u"020301"_s, u"金融学"_s, 2, u"4"_s, {}},
            {u"120201"_s, u"工商管理"_s, 11, u"4"_s, {}},
            {u"081801"_s, u"交通运输"_s, 8, u"4"_s, u"02;06"_s}};
}

QStringList MajorClasses()
{
    return {u"哲学"_s, u"经济学"_s, u"法学"_s, u"教育学"_s, u"文学"_s,   u"历史学"_s,
            u"理学"_s, u"工学"_s,   u"农学"_s, u"医学"_s,   u"管理学"_s, u"艺术学"_s};
}

} // namespace demonames
