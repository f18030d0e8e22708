// The demo code library: institution, code tables, field attributes, submission units,
// common parameters and grade tables.

#include "leader/DemoNames.h"
#include "leader/DemoTables.h"
#include "store/Schema.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using TRows = QList<QList<TDbValue>>;

TRows CodeRows(const QList<QPair<QString, QString>> &pairs)
{
    TRows rows;
    for (const auto &p : pairs)
        rows.append({p.first, p.second});
    return rows;
}

// The rows of code table n (numbered as the client numbers them).
TRows CodeTableRows(const TDemoProvince &p, int n)
{
    switch (n) {
    case 0:
        return CodeRows({{u"1"_s, u"应届"_s}, {u"2"_s, u"往届"_s}, {u"3"_s, u"其他"_s}});
    case 1: {
        TRows rows;
        for (const TScoreItem &item : p.Scheme.ScoreItems)
            rows.append({item.CJXDM, item.CJXMC, item.CJXLXDM});
        return rows;
    }
    case 2:
    case 14: {
        TRows rows;
        for (int i = 0; i < p.Districts.size(); ++i)
            rows.append({u"%1"_s.arg(i + 1, 2, 10, QLatin1Char('0')),
                         n == 2 ? p.Districts[i] : p.Districts[i] + u"招生考试办公室"_s});
        return rows;
    }
    case 3:
        return CodeRows({{u"1"_s, u"非定向"_s},
                         {u"2"_s, u"定向"_s},
                         {u"3"_s, u"国家专项"_s},
                         {u"4"_s, u"地方专项"_s},
                         {u"5"_s, u"中外合作办学"_s}});
    case 4:
        return {{u"1"_s, p.Scheme.RankScores ? u"历史等科目类"_s : u"文史"_s, QString()},
                {u"2"_s, u"艺术（文）"_s, u"1"_s},
                {u"3"_s, u"体育（文）"_s, u"1"_s},
                {u"5"_s, p.Scheme.RankScores ? u"物理等科目类"_s : u"理工"_s, QString()},
                {u"6"_s, u"艺术（理）"_s, u"5"_s},
                {u"7"_s, u"体育（理）"_s, u"5"_s}};
    case 5:
        return CodeRows({{u"1"_s, u"城镇应届"_s},
                         {u"2"_s, u"农村应届"_s},
                         {u"3"_s, u"城镇往届"_s},
                         {u"4"_s, u"农村往届"_s}});
    case 6:
        return CodeRows({{u"1"_s, u"普通高考"_s}, {u"2"_s, u"对口招生"_s}, {u"3"_s, u"单独招生"_s}});
    case 7:
        return CodeRows({{u"1"_s, u"正常录取"_s},
                         {u"2"_s, u"降分录取"_s},
                         {u"3"_s, u"调剂录取"_s},
                         {u"4"_s, u"破格录取"_s}});
    case 8:
        return CodeRows({{u"01"_s, u"汉族"_s},
                         {u"02"_s, u"蒙古族"_s},
                         {u"03"_s, u"回族"_s},
                         {u"04"_s, u"藏族"_s},
                         {u"05"_s, u"维吾尔族"_s},
                         {u"06"_s, u"苗族"_s},
                         {u"07"_s, u"彝族"_s},
                         {u"08"_s, u"壮族"_s},
                         {u"09"_s, u"布依族"_s},
                         {u"10"_s, u"朝鲜族"_s},
                         {u"11"_s, u"满族"_s},
                         {u"12"_s, u"侗族"_s},
                         {u"13"_s, u"瑶族"_s},
                         {u"14"_s, u"白族"_s},
                         {u"15"_s, u"土家族"_s}});
    case 9:
        return {{u"1"_s, u"本科提前批"_s, u"01"_s, u"1"_s},
                {u"2"_s, u"本科第一批"_s, u"02"_s, u"1"_s},
                {u"3"_s, u"本科第二批"_s, u"03"_s, u"1"_s},
                {u"4"_s, u"高职（专科）批"_s, u"05"_s, u"2"_s}};
    case 10:
        return CodeRows({{u"01"_s, u"专业已满，不服从调剂"_s},
                         {u"02"_s, u"体检不合格"_s},
                         {u"03"_s, u"专业受限"_s},
                         {u"04"_s, u"单科成绩不符合要求"_s},
                         {u"05"_s, u"外语语种不符"_s},
                         {u"06"_s, u"考生放弃"_s},
                         {u"99"_s, u"其他原因"_s}});
    case 11:
        return CodeRows({{u"1"_s, u"合格"_s}, {u"2"_s, u"专业受限"_s}, {u"3"_s, u"不合格"_s}});
    case 12:
        return CodeRows({{u"1"_s, u"英语"_s},
                         {u"2"_s, u"日语"_s},
                         {u"3"_s, u"俄语"_s},
                         {u"4"_s, u"德语"_s},
                         {u"5"_s, u"法语"_s},
                         {u"6"_s, u"西班牙语"_s}});
    case 13:
        return CodeRows({{u"1"_s, u"男"_s}, {u"2"_s, u"女"_s}});
    case 15:
        return {{u"1"_s, u"少数民族考生"_s, 5.0, u"0"_s}, {u"2"_s, u"烈士子女"_s, 10.0, u"0"_s},
                {u"3"_s, u"归侨子女"_s, 5.0, u"0"_s},     {u"4"_s, u"体育特长生"_s, 10.0, u"1"_s},
                {u"5"_s, u"省级优秀学生"_s, 3.0, u"0"_s}, {u"6"_s, u"农村专项计划"_s, 0.0, u"1"_s}};
    case 16:
        return CodeRows({{u"A"_s, u"普通志愿"_s},
                         {u"B"_s, u"定向志愿"_s},
                         {u"C"_s, u"中外合作办学"_s},
                         {u"D"_s, u"地方专项"_s},
                         {u"E"_s, u"预科"_s}});
    default:
        return CodeRows({{u"01"_s, u"中国共产党党员"_s},
                         {u"02"_s, u"中国共产党预备党员"_s},
                         {u"03"_s, u"中国共产主义青年团团员"_s},
                         {u"13"_s, u"群众"_s}});
    }
}

TRecordset Filled(const QList<TRecordField> &fields, const TRows &rows)
{
    TRecordset set(fields);
    for (const QList<TDbValue> &row : rows)
        set.AddRow(row);
    return set;
}

QList<TZipMember> GradeMembers(const TDemoProvince &p)
{
    TRecordset types(CJXLXDMTable().Fields);
    TRecordset grades(DJDMFields());
    types.AddRow({u"000"_s, u"数值成绩"_s, 0});
    for (const TGradeType &t : p.Scheme.GradeTypes) {
        types.AddRow({t.CJXLXDM, t.CJXLXMC, int(t.Grades.size())});
        for (int g = 0; g < t.Grades.size(); ++g)
            grades.AddRow({t.CJXLXDM, g, t.Grades.at(g)});
    }
    return {RecordsetMember(u"td_cjxlxdm.adtg"_s, types), RecordsetMember(u"td_djdm.adtg"_s, grades)};
}

TRecordset CommonParams(const TDemoProvince &p)
{
    TRecordset set(CommonParamsFields());
    if (p.Scheme.RankScores)
        set.AddRow({u"1"_s, u"001/002"_s, u"C04/C05/C06/C07/C08/C09"_s, u"001"_s, u"报名表"_s, u"体检表"_s,
                    u"综合素质评价"_s});
    else
        set.AddRow({u"0"_s, QString(), QString(), QString(), u"报名表"_s, u"体检表"_s, u"附加表"_s});
    return set;
}

// The default grid layout: the shown fields in grid order with the smallest screen
// class (0 800 … 3 1600) that shows them, without and with rank scores (9: hidden),
// and their width at 96 dots per inch.
struct TLayoutEntry
{
    const char16_t *Name;
    int Normal, Rank, Width;
};
const TLayoutEntry kLayout[] = {
    {u"XH", 0, 0, 36},         {u"KSH", 0, 0, 110},    {u"XM", 0, 0, 64},       {u"XBDM", 0, 0, 36},
    {u"TDZY", 0, 0, 36},       {u"LQZY", 0, 0, 150},   {u"ZYYTJZCJ", 0, 0, 60}, {u"ZYYTDJ", 9, 0, 70},
    {u"ZYYTDXJZCJ", 1, 1, 60}, {u"ZYZYTJ", 0, 0, 40},  {u"TDYYDM", 0, 0, 96},   {u"TDDW", 1, 1, 150},
    {u"TJSX", 1, 1, 70},       {u"TJHG", 1, 1, 40},    {u"CJ", 1, 1, 50},       {u"KMDJ001", 9, 1, 70},
    {u"ZYDH1", 1, 1, 130},     {u"ZYDH2", 1, 2, 130},  {u"ZYHG", 2, 2, 40},     {u"TZCJ", 2, 2, 50},
    {u"ZYYTFJCJ", 2, 2, 50},   {u"XKKM", 9, 2, 90},    {u"ZYDH3", 2, 2, 130},   {u"ZYTJFC", 2, 2, 120},
    {u"TJJLDM", 2, 3, 60},     {u"ZYDH4", 3, 3, 130},  {u"ZYDH5", 3, 3, 130},   {u"ZYDH6", 3, 3, 130},
    {u"GKCJX01", 3, 3, 44},    {u"GKCJX02", 3, 3, 44}, {u"GKCJX03", 3, 3, 44},  {u"KMDJ002", 9, 3, 80},
    {u"BH", 3, 3, 40},         {u"MZDM", 3, 9, 50},    {u"ZCDM", 3, 3, 90}};

// The width at 96 dots per inch that a grid header needs for a caption in the client's
// window font: CJK characters at up to 11 points are about 15 pixels wide, other
// characters half that, and the header draws a margin on either side.
int CaptionWidth(const QString &caption)
{
    int width = 12;
    for (const QChar c : caption)
        width += c.unicode() >= 0x2E80 ? 15 : 8;
    return width;
}

const TLayoutEntry *LayoutOf(const QString &name)
{
    for (const TLayoutEntry &s : kLayout) {
        if (name == QStringView(s.Name))
            return &s;
    }
    return nullptr;
}

// Position of a field in the layout of a screen class, -1 when hidden.
int Position(const QString &name, int screenClass, bool rank)
{
    int position = 0;
    for (const TLayoutEntry &s : kLayout) {
        const int from = rank ? s.Rank : s.Normal;
        if (from > screenClass)
            continue;
        if (name == QStringView(s.Name))
            return position;
        ++position;
    }
    return -1;
}

} // namespace

TRecordset FieldAttributesRecordset(const TDemoProvince &province)
{
    TRecordset set(TDDZDSXFields());
    int order = 0;
    for (const TDossierColumn &c : DossierColumns(province.Scheme, true)) {
        if (!c.Described)
            continue;
        const QString name = c.Field.Name;
        const TLayoutEntry *entry = LayoutOf(name);
        // Wide enough for its caption: a new member's first grid shows every heading whole.
        const int width =
            std::max(entry ? entry->Width : std::clamp(c.DisplayChars * 7, 40, 200), CaptionWidth(c.Caption));
        QList<TDbValue> row{name,
                            c.Caption,
                            c.CodeTable,
                            QString(c.Letter),
                            u"%1"_s.arg(++order, 3, 10, QLatin1Char('0')),
                            name == u"KSH"_s || name == u"XM"_s ? u"1"_s : u"0"_s};
        for (const bool rank : {false, true}) {
            for (int cls = 0; cls < 4; ++cls)
                row.append(Position(name, cls, rank));
            for (int cls = 0; cls < 4; ++cls)
                row.append(width * (cls < 2 ? 10 : 9 + cls) / 10);
        }
        row += {width, c.DisplayChars, c.RankOnly ? u"1"_s : u"0"_s};
        set.AddRow(row);
    }
    return set;
}

QList<TZipMember> CodeLibraryMembers(const TDemoProvince &province, const TRecordset &allWishes)
{
    TRecordset institution(YXZTFields());
    institution.AddRow({province.YXDM, province.YXMC, province.P.SSDM});
    QList<TZipMember> members{RecordsetMember(u"T_YXZT.adtg"_s, institution),
                              RecordsetMember(u"T_QBZYK.adtg"_s, allWishes)};
    const QList<TCodeTableDef> tables = NumberedCodeTables();
    for (int n = 0; n < tables.size(); ++n)
        members.append(RecordsetMember(tables[n].TableName + u".adtg"_s,
                                       Filled(tables[n].Fields, CodeTableRows(province, n))));
    TRows classes;
    const QStringList names = demonames::MajorClasses();
    for (int i = 0; i < names.size(); ++i)
        classes.append({i + 1, names[i]});
    members.append(RecordsetMember(u"TD_ZYLBDM.adtg"_s, Filled(ZYLBDMTable().Fields, classes)));
    const TRows restrictions =
        CodeRows({{u"01"_s, u"轻度色觉异常（色弱）者不宜就读化学、药学、生物科学类等专业"_s},
                  {u"02"_s, u"色觉异常（色盲、色弱）者不宜就读医学、美术、交通运输类等专业"_s},
                  {u"03"_s, u"单眼裸眼视力低于4.8者不宜就读车辆、航海类专业"_s},
                  {u"04"_s, u"嗅觉迟钝者不宜就读食品科学、化工类专业"_s},
                  {u"05"_s, u"口吃者不宜就读师范、外语、新闻类专业"_s},
                  {u"06"_s, u"身高不足者不宜就读交通运输、体育类专业"_s},
                  {u"07"_s, u"肝功能异常者不宜就读食品、烹饪类专业"_s}});
    members.append(RecordsetMember(u"TD_ZYSXDM.adtg"_s, Filled(ZYSXDMTable().Fields, restrictions)));
    members.append(RecordsetMember(u"t_common_params.adtg"_s, CommonParams(province)));
    if (province.Scheme.RankScores)
        members += GradeMembers(province);
    members.append(RecordsetMember(u"T_TDDZDSX.adtg"_s, FieldAttributesRecordset(province)));
    members.append(RecordsetMember(u"T_TDDW.adtg"_s, UnitsRecordset(province)));
    return members;
}
