// The dossier recordset T_TDD and the recordsets that travel with it.

#include "store/DossierColumns.h"

#include "store/DossierFieldKinds.h"

using namespace Qt::StringLiterals;
using namespace dossierfields;

namespace {

QString Nth(const QString &stem, int n)
{
    return stem + QString::number(n);
}

class TCatalogue
{
public:
    explicit TCatalogue(bool withRankOnly)
        : FWithRankOnly(withRankOnly)
    {}

    void Add(const TRecordField &field, const QString &caption, char16_t letter, const QString &codeTable,
             int chars)
    {
        if (FRankSection && !FWithRankOnly)
            return;
        FColumns.append({field, caption, QChar(letter), codeTable, FRankSection, chars, true, true});
    }
    // A field of the grid that T_TDD does not hold.
    void AddComputed(const QString &name, const QString &caption, char16_t letter, int chars)
    {
        TDossierColumn c{Text(name, 20), caption, QChar(letter), QString(), false, chars, false, true};
        FColumns.append(c);
    }
    void AddUndescribed(const TRecordField &field)
    {
        FColumns.append({field, QString(), QChar(), QString(), false, 0, true, false});
    }
    void SetRankSection(bool on) { FRankSection = on; }
    QList<TDossierColumn> Take() { return std::move(FColumns); }

private:
    QList<TDossierColumn> FColumns;
    bool FWithRankOnly;
    bool FRankSection = false;
};

void AddPersonalColumns(TCatalogue &c)
{
    c.AddComputed(u"XH"_s, u"序号"_s, u'I', 6);
    c.Add(KeyCode(u"KSH"_s, 14), u"考生号"_s, u'K', {}, 14);
    c.Add(Text(u"XM"_s, 20), u"姓名"_s, u'X', {}, 20);
    c.Add(Code(u"XBDM"_s, 1), u"性别"_s, u'C', u"TD_XBDM"_s, 6);
    c.Add(Code(u"CSNY"_s, 8), u"出生日期"_s, u'S', {}, 8);
    c.Add(Code(u"SFZH"_s, 18), u"身份证号"_s, u'S', {}, 18);
    c.Add(Code(u"MZDM"_s, 2), u"民族"_s, u'C', u"TD_MZDM"_s, 16);
    c.Add(Code(u"ZZMMDM"_s, 2), u"政治面貌"_s, u'C', u"TD_ZZMMDM"_s, 20);
    c.Add(Code(u"KSLBDM"_s, 1), u"考生类别"_s, u'C', u"TD_KSLBDM"_s, 16);
    c.Add(Code(u"BYLBDM"_s, 1), u"毕业类别"_s, u'C', u"TD_BYLBDM"_s, 10);
    c.Add(Code(u"KSLXDM"_s, 1), u"考试类型"_s, u'C', u"TD_KSLXDM"_s, 16);
    c.Add(Code(u"DQDM"_s, 2), u"地区"_s, u'C', u"TD_DQDM"_s, 16);
    c.Add(Code(u"XTDWDM"_s, 2), u"系统单位"_s, u'C', u"TD_XTDWDM"_s, 30);
    c.Add(Code(u"WYYZDM"_s, 1), u"外语语种"_s, u'C', u"TD_WYYZDM"_s, 10);
    c.Add(Code(u"WYKS"_s, 1), u"外语口试"_s, u'D', {}, 4);
    c.Add(Text(u"ZCDM"_s, 10), u"政策加分"_s, u'T', u"TD_ZCDM"_s, 60);
    c.Add(Text(u"KSTZ"_s, 40), u"考生特征"_s, u'S', {}, 40);
    c.Add(Text(u"ZXMC"_s, 40), u"毕业中学"_s, u'S', {}, 40);
}

void AddWishColumns(TCatalogue &c)
{
    c.Add(BinaryCode(u"PCDM"_s), u"批次"_s, u'C', u"TD_PCDM"_s, 20);
    c.Add(BinaryCode(u"KLDM"_s), u"科类"_s, u'C', u"TD_KLDM"_s, 16);
    c.Add(BinaryCode(u"JHXZ"_s), u"计划性质"_s, u'C', u"TD_JHXZDM"_s, 16);
    c.Add(Code(u"TDDW"_s, 3), u"投档单位"_s, u'W', {}, 40);
    c.Add(Code(u"DQTDDW"_s, 3), u"当前投档单位"_s, u'S', {}, 3);
    c.Add(Code(u"TDZY"_s, 1), u"投档志愿"_s, u'C', {}, 2);
    for (int n = 1; n <= 6; ++n)
        c.Add(Code(Nth(u"TDDWDM"_s, n), 3), u"专业%1投档单位"_s.arg(n), u'S', {}, 3);
    for (int n = 1; n <= 6; ++n)
        c.Add(Code(Nth(u"ZYDH"_s, n), 2), u"专业%1"_s.arg(n), u'Z', {}, 40);
    for (int n = 1; n <= 6; ++n)
        c.Add(Code(Nth(u"ZYSXDM"_s, n), 2), u"专业%1受限"_s.arg(n), u'S', {}, 2);
    c.AddComputed(u"TJSX"_s, u"体检受限"_s, u'H', 20);
    c.Add(Code(u"ZYZYTJ"_s, 1), u"专业调剂"_s, u'Y', {}, 4);
    c.Add(Code(u"DXTJ"_s, 1), u"定向调剂"_s, u'Y', {}, 4);
    c.Add(Text(u"ZYTJFC"_s, 20), u"服从专业类别"_s, u'F', {}, 40);
}

void AddScoreColumns(TCatalogue &c, const TDossierScheme &scheme)
{
    c.Add(Real(u"ZYYTJZCJ"_s), u"预投基准分"_s, u'J', {}, 18);
    c.Add(Real(u"ZYYTFJCJ"_s), u"预投附加分"_s, u'J', {}, 18);
    c.Add(Real(u"ZYYTDXJZCJ"_s), u"单位调整分"_s, u'J', {}, 18);
    c.SetRankSection(true);
    c.Add(Text(u"ZYYTDJLX"_s, 50), u"预投等级类型"_s, u'S', {}, 50);
    c.Add(Text(u"ZYYTDJ"_s, 50), u"预投等级"_s, u'J', {}, 18);
    c.Add(Int(u"ZYYTDJPX"_s), u"等级排序号"_s, u'A', {}, 10);
    c.Add(Text(u"ZYYTFJDJLX"_s, 50), u"附加等级类型"_s, u'S', {}, 50);
    c.Add(Text(u"ZYYTFJDJ"_s, 50), u"附加等级"_s, u'S', {}, 50);
    c.Add(Text(u"XKKM"_s, 30), u"选考科目"_s, u'T', u"TD_CJXDM"_s, 40);
    // A set of grades of one grade type; the type is the name from its fifth character.
    for (const TGradeType &type : scheme.GradeTypes)
        c.Add(Text(u"KMDJ"_s + type.CJXLXDM, 30), type.CJXLXMC, u'R', {}, 20);
    c.SetRankSection(false);
    c.Add(Real(u"CJ"_s), u"总分"_s, u'A', {}, 10);
    c.Add(Real(u"TZCJ"_s), u"特征成绩"_s, u'A', {}, 10);
    c.Add(Real(u"TDCJ"_s), u"投档成绩"_s, u'A', {}, 10);
    for (const TScoreItem &item : scheme.ScoreItems)
        c.Add(Real(u"GKCJX"_s + item.CJXDM), item.CJXMC, u'N', {}, 15);
}

void AddDecisionColumns(TCatalogue &c)
{
    c.Add(Code(u"ZYHG"_s, 1), u"专业合格"_s, u'Y', {}, 4);
    c.Add(Code(u"TJHG"_s, 1), u"体检合格"_s, u'Y', {}, 4);
    c.Add(Code(u"TJJLDM"_s, 1), u"体检结论"_s, u'C', u"TD_TJJLDM"_s, 10);
    c.Add(Code(u"KSZT"_s, 1), u"考生状态"_s, u'S', {}, 2);
    c.Add(Code(u"LQZY"_s, 2), u"录取专业"_s, u'Z', {}, 40);
    c.Add(Code(u"YTZY"_s, 2), u"预投专业"_s, u'Z', {}, 40);
    c.Add(Code(u"TDYYDM"_s, 2), u"退档原因"_s, u'C', u"TD_TDYYDM"_s, 30);
    c.Add(Memo(u"BZ"_s), u"备注"_s, u'S', {}, 254);
    c.Add(Code(u"LQFS"_s, 1), u"录取方式"_s, u'C', u"TD_LQFSDM"_s, 16);
    c.Add(Code(u"SDBZ"_s, 1), u"锁定"_s, u'Y', {}, 4);
    c.Add(Int(u"BH"_s), u"投档单编号"_s, u'B', {}, 10);
    c.Add(Text(u"TXDZ"_s, 60), u"通讯地址"_s, u'S', {}, 60);
    c.Add(Code(u"YZBM"_s, 6), u"邮政编码"_s, u'S', {}, 6);
    c.Add(Text(u"LXDH"_s, 20), u"联系电话"_s, u'S', {}, 20);
    c.Add(Text(u"SJR"_s, 20), u"收件人"_s, u'S', {}, 20);
    c.AddUndescribed(Code(u"TASK_TAG"_s, 1));
}

} // namespace

TDossierScheme TypicalDossierScheme()
{
    TDossierScheme s;
    s.ScoreItems = {{u"01"_s, u"语文"_s, u"000"_s},
                    {u"02"_s, u"数学"_s, u"000"_s},
                    {u"03"_s, u"外语"_s, u"000"_s},
                    {u"04"_s, u"综合"_s, u"000"_s},
                    {u"05"_s, u"外语听力"_s, u"000"_s}};
    return s;
}

TDossierScheme GradedDossierScheme()
{
    TDossierScheme s;
    s.RankScores = true;
    s.ScoreItems = {
        {u"01"_s, u"语文"_s, u"000"_s}, {u"02"_s, u"数学"_s, u"000"_s}, {u"03"_s, u"外语"_s, u"000"_s},
        {u"04"_s, u"物理"_s, u"001"_s}, {u"05"_s, u"化学"_s, u"001"_s}, {u"06"_s, u"生物"_s, u"001"_s},
        {u"07"_s, u"政治"_s, u"001"_s}, {u"08"_s, u"历史"_s, u"001"_s}, {u"09"_s, u"地理"_s, u"001"_s}};
    s.GradeTypes = {{u"001"_s, u"选测科目等级"_s, {u"D"_s, u"C"_s, u"B"_s, u"B+"_s, u"A"_s, u"A+"_s}},
                    {u"002"_s, u"必测科目等级"_s, {u"D"_s, u"C"_s, u"B"_s, u"A"_s}}};
    return s;
}

QList<TDossierColumn> DossierColumns(const TDossierScheme &scheme, bool withRankOnly)
{
    TCatalogue c(withRankOnly || scheme.RankScores);
    AddPersonalColumns(c);
    AddWishColumns(c);
    AddScoreColumns(c, scheme);
    AddDecisionColumns(c);
    return c.Take();
}

QList<TRecordField> TDDFields(const TDossierScheme &scheme)
{
    QList<TRecordField> fields;
    for (const TDossierColumn &c : DossierColumns(scheme)) {
        if (c.InRecordset)
            fields.append(c.Field);
    }
    return fields;
}

QList<TRecordField> KSHKCJFields()
{
    return {KeyCode(u"KSH"_s, 14), KeyCode(u"CJXDM"_s, 2), Text(u"CJ"_s, 10)};
}

QList<TRecordField> KSJLFields()
{
    TRecordField start = Date(u"QSRQ"_s);
    TRecordField end = Date(u"ZJRQ"_s);
    start.Flags = (start.Flags | DBCOLUMNFLAGS_KEYCOLUMN) & ~DBCOLUMNFLAGS_ISNULLABLE;
    end.Flags = (end.Flags | DBCOLUMNFLAGS_KEYCOLUMN) & ~DBCOLUMNFLAGS_ISNULLABLE;
    return {KeyCode(u"KSH"_s, 14), start, end, Text(u"JL"_s, 100), Text(u"RHZW"_s, 20), Text(u"ZMR"_s, 20)};
}

QStringList TJXXNormalOtherColumns()
{
    return {u"NK_XXG"_s, u"NK_HXXT"_s, u"NK_SJXT"_s, u"NK_GP"_s, u"WK_PF"_s, u"WK_JZ"_s,
            u"WK_SZ"_s,  u"WK_GJ"_s,   u"YK_SJ"_s,   u"XB_XT"_s, u"GGN"_s};
}

QList<TRecordField> TJXXFields()
{
    QList<TRecordField> f{KeyCode(u"KSH"_s, 14), Code(u"TJJLDM"_s, 1)};
    for (int n = 1; n <= 6; ++n)
        f.append(Code(Nth(u"ZYSXDM"_s, n), 2));
    f += {Date(u"TJRQ"_s),        Text(u"TJYYMC"_s, 40), Code(u"JWBSBZ"_s, 1), Text(u"JWBS"_s, 100),
          Code(u"NK_FYQK"_s, 1),  Text(u"XY"_s, 10),     Real(u"WK_SG"_s),     Real(u"WK_TZ"_s),
          Real(u"YK_LYSL_Z"_s),   Real(u"YK_LYSL_Y"_s),  Real(u"YK_JZSL_Z"_s), Real(u"YK_JZSL_Y"_s),
          Code(u"YK_SJJCT"_s, 1), Text(u"YK_YB"_s, 20),  Real(u"EB_TL_Z"_s),   Real(u"EB_TL_Y"_s),
          Code(u"EB_XJ"_s, 1),    Text(u"EB_BB"_s, 20),  Code(u"KQ_SFKC"_s, 1)};
    for (const QString &name : TJXXNormalOtherColumns())
        f.append(Code(name, 1));
    f.append(Text(u"ZJYJ"_s, 100));
    return f;
}

QList<TRecordField> QBZYKFields()
{
    QList<TRecordField> f{KeyCode(u"KSH"_s, 14),   KeyCode(u"PCDM"_s, 1), KeyCode(u"KLDM"_s, 1),
                          KeyCode(u"JHXZDM"_s, 1), KeyCode(u"ZYH"_s, 1),  KeyCode(u"TDDW"_s, 3),
                          Code(u"YXDH"_s, 5),      Text(u"YXMC"_s, 40),   Text(u"ZYTZ"_s, 10),
                          Code(u"ZYZYTJ"_s, 1),    Code(u"DXTJ"_s, 1)};
    for (int n = 1; n <= 6; ++n) {
        f.append(Code(Nth(u"ZYDH"_s, n), 2));
        f.append(Text(Nth(u"ZYMC"_s, n), 40));
    }
    return f;
}
