// The printable page that lists every code table of the province ("codetable.htm").
#include "store/PrivateFiles.h"
#include "store/SqlQuery.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"
#include "workspace/WorkspaceTables.h"
#include "workspace/WorkspaceText.h"

#include <QDate>
#include <QFile>

using namespace Qt::StringLiterals;

namespace {

const QString IdeographicSpace = QStringLiteral("\u3000");
const QString HeadingSpan = QStringLiteral("<span style='color:blue;font-weight:bold'>");

// |percent| / copies with two decimals, halves rounded away from zero.
QString CellWidthText(int percent, int copies)
{
    const qint64 scaled = qint64(std::abs(percent)) * 100;
    qint64 q = scaled / copies;
    if (2 * (scaled % copies) >= copies)
        ++q;
    return u"%1.%2"_s.arg(q / 100).arg(q % 100, 2, 10, QChar(u'0'));
}

// The page is UTF-16 little-endian; the text carries its own byte-order mark.
class TPageFile
{
public:
    explicit TPageFile(const QString &fileName)
        : FFile(fileName)
    {
        if (!FFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw EZKError(u"%1: %2"_s.arg(fileName, FFile.errorString()));
    }
    void Write(const QString &text)
    {
        QByteArray bytes;
        bytes.reserve(text.size() * 2);
        for (const QChar c : text) {
            bytes.append(char(c.unicode() & 0xff));
            bytes.append(char(c.unicode() >> 8));
        }
        if (FFile.write(bytes) != bytes.size())
            throw EZKError(u"%1: %2"_s.arg(FFile.fileName(), FFile.errorString()));
    }
    void Close()
    {
        if (!FFile.flush())
            throw EZKError(u"%1: %2"_s.arg(FFile.fileName(), FFile.errorString()));
        FFile.close();
    }

private:
    QFile FFile;
};

struct TSection
{
    QString Source;
    int GroupWidth;
    QList<TCodeTableColumn> Columns;
    int Flags;
};

QList<TCodeTableColumn> CodeAndName(const QString &code, const QString &name, const QString &heading,
                                    int codeWidth)
{
    return {{code, u"■"_s, codeWidth}, {name, heading, codeWidth - 100}};
}

} // namespace

int TMainDM::CodeTablePageWidth() const
{
    const int dpi = std::max(1, FMainView->ScreenDotsPerInch());
    return FMainView->ScreenWidthPixels() * 96 / dpi >= 1024 ? 960 : 750;
}

QString TMainDM::WriteCodeTableSection(const QString &source, int groupWidth,
                                       const QList<TCodeTableColumn> &columns, int flags,
                                       const QString &title, int pageWidth)
{
    try {
        const int g = std::max(1, groupWidth > 0 ? pageWidth / groupWidth : 1);
        const int k = int(columns.size());
        QString out;
        if (!(flags & ZKCodeTableFlags::NoSpacer))
            out += u"<p></p>"_s;
        out += CodeTableHead(pageWidth);
        QStringList cells;
        if (!(flags & ZKCodeTableFlags::NoHeading)) {
            for (const TCodeTableColumn &column : columns)
                cells.append(HeadingSpan + column.Heading + u"</span>"_s);
        }
        TSqlQuery query(&UnivConn);
        if (flags & ZKCodeTableFlags::SqlSource) {
            query.SetSQL(source);
            query.Open();
        } else {
            query.OpenTable(source);
        }
        for (; !query.Eof(); query.Next()) {
            for (const TCodeTableColumn &column : columns) {
                const QString text = HtmlEscaped(FieldText(query, column.Field));
                cells.append(text.isEmpty() ? IdeographicSpace : text);
            }
        }
        query.Close();
        const int perRow = std::max(1, k * g);
        while (cells.size() % perRow != 0)
            cells.append(IdeographicSpace);
        const int r = int(cells.size()) / perRow;
        QStringList tags;
        for (int c = 0; c < k; ++c) {
            QString style = (c > 0 ? u"border-left:none;"_s : QString()) +
                            (columns[c].Width > 0 ? u"text-align:center;"_s : QString());
            if (!style.isEmpty())
                style = u" style='"_s + style.chopped(1) + u'\'';
            tags.append(u"<td width="_s + CellWidthText(columns[c].Width, g) + u'%' + style + u'>');
        }
        if (!title.isEmpty())
            out += u"<tr>\r\n<td colspan=%1>%2</td>\r\n</tr>\r\n"_s.arg(QString::number(k * g), title);
        for (int j = 0; j < r; ++j) {
            out += u"<tr>\r\n"_s;
            for (int m = 0; m < g; ++m) {
                const int e = m * r + j;
                for (int c = 0; c < k; ++c)
                    out += tags[c] + cells[e * k + c] + u"</td>\r\n"_s;
            }
            out += u"</tr>\r\n"_s;
        }
        out += u"</table>\r\n"_s;
        return out;
    } catch (const EZKError &e) {
        throw e.WithPrefix(u"[Table: "_s + source + u']');
    }
}

QString TMainDM::CodeTableHead(int pageWidth)
{
    return u"<table border=\"1\" cellspacing=\"0\" cellpadding=\"0\" width=%1 style='font-size:10.0pt;font-family:宋体'>\r\n"_s
        .arg(pageWidth);
}

void TMainDM::WriteCodeTablePage(const QString &fileName, int year, int pageWidth)
{
    const bool graded = ZKMainDef().RankScoreSupported;
    TPageFile page(fileName);
    const QString title = HtmlEscaped(QString::number(year) + u"年"_s + ZKMainDef().LoginInfo.SSMC +
                                      u"普通高等学校招生代码表"_s);
    page.Write(
        u"\uFEFF<html>\r\n<head>\r\n<meta http-equiv=Content-Type content=\"text/html;charset=unicode\">\r\n"
        "<title>%1</title>\r\n</head>\r\n<body>\r\n<table border=\"0\" width=%2>\r\n<tr>\r\n"
        "<td style='text-align:center;font-size:16.0pt;font-family:宋体;font-weight:bold'>%1</td>\r\n"
        "</tr>\r\n</table>\r\n"_s.arg(title, QString::number(pageWidth)));
    auto write = [&](const TSection &s, const QString &sectionTitle = QString()) {
        page.Write(
            WriteCodeTableSection(s.Source, s.GroupWidth, s.Columns, s.Flags, sectionTitle, pageWidth));
    };
    write(
        {u"select zcdm, zcmc, zgf, iif(xdx = \"1\", \"院校投档线\", \"批次线\") as xdxstr from td_zcdm order by zcdm"_s,
         320,
         {{u"zcdm"_s, u"■"_s, 10},
          {u"zcmc"_s, u"政策代码"_s, -37},
          {u"zgf"_s, u"照顾分"_s, 23},
          {u"xdxstr"_s, u"相对线"_s, 30}},
         ZKCodeTableFlags::SqlSource});
    write({u"td_tdyydm"_s, 240, CodeAndName(u"tdyydm"_s, u"tdyymc"_s, u"退档原因"_s, 15), 0});
    write({u"td_wyyzdm"_s, 120, CodeAndName(u"wyyzdm"_s, u"wyyzmc"_s, u"外语语种"_s, 25), 0});
    if (graded) {
        write({u"select * from td_cjxdm where cjxlxdm=\"000\" order by cjxdm"_s, 180,
               CodeAndName(u"cjxdm"_s, u"cjxmc"_s, u"数值成绩项"_s, 20), ZKCodeTableFlags::SqlSource});
        for (int i = 0; i < RankCodeList.size(); ++i) {
            const QString &code = RankCodeList[i];
            write({u"select * from td_cjxdm where cjxlxdm=\""_s + QString(code).replace(u'"', u"\"\""_s) +
                       u"\" order by cjxdm"_s,
                   180,
                   {{u"cjxdm"_s, QString(), 20}, {u"cjxmc"_s, QString(), -80}},
                   7},
                  GradeTypeTitle(i));
        }
    } else {
        write({u"td_cjxdm"_s, 180, CodeAndName(u"cjxdm"_s, u"cjxmc"_s, u"成绩项"_s, 20), 0});
    }
    write({u"td_zytzdm"_s, 240, CodeAndName(u"zytzdm"_s, u"zytzmc"_s, u"志愿特征"_s, 15), 0});
    write({u"td_lqfsdm"_s, 240, CodeAndName(u"lqfsdm"_s, u"lqfsmc"_s, u"录取方式"_s, 15), 0});
    write({u"td_mzdm"_s, 180, CodeAndName(u"mzdm"_s, u"mzmc"_s, u"民族"_s, 20), 0});
    write({u"td_kslbdm"_s, 120, CodeAndName(u"kslbdm"_s, u"kslbmc"_s, u"考生类别"_s, 25), 0});
    write({u"td_tjjldm"_s, 120, CodeAndName(u"tjjldm"_s, u"tjjlmc"_s, u"体检结论"_s, 25), 0});
    write({u"td_zysxdm"_s, pageWidth, CodeAndName(u"zysxdm"_s, u"zysxnr"_s, u"体检受限代码"_s, 4), 0});
    write({u"td_zylbdm"_s, 240, CodeAndName(u"zylbdm"_s, u"zylbmc"_s, u"专业类别"_s, 15), 0});
    write({u"td_bylbdm"_s, 240, CodeAndName(u"bylbdm"_s, u"bylbmc"_s, u"毕业类别"_s, 15), 0});
    write({u"td_kslxdm"_s, 240, CodeAndName(u"kslxdm"_s, u"kslxmc"_s, u"考试类型"_s, 15), 0});
    write({u"td_zzmmdm"_s, 180, CodeAndName(u"zzmmdm"_s, u"zzmmmc"_s, u"政治面貌"_s, 20), 0});
    write({u"td_dqdm"_s, 240, CodeAndName(u"dqdm"_s, u"dqmc"_s, u"地区代码"_s, 25), 0});
    write({u"td_pcdm"_s,
           320,
           {{u"pcdm"_s, u"■"_s, 10},
            {u"pcmc"_s, u"批次"_s, -40},
            {u"gbpcdm"_s, u"国标批次"_s, 25},
            {u"gbccdm"_s, u"国标层次"_s, 25}},
           0});
    write({u"td_kldm"_s,
           240,
           {{u"kldm"_s, u"■"_s, 15}, {u"klmc"_s, u"科类"_s, -55}, {u"jbkl"_s, u"兼报科类"_s, -30}},
           0});
    write({u"td_jhxzdm"_s, 240, CodeAndName(u"jhxzdm"_s, u"jhxzmc"_s, u"计划性质"_s, 15), 0});
    write({u"td_xtdwdm"_s, 240, CodeAndName(u"xtdwdm"_s, u"xtdwmc"_s, u"系统单位"_s, 17), 0});
    write({u"td_xbdm"_s, 120, CodeAndName(u"xbdm"_s, u"xbmc"_s, u"性别"_s, 25), 0});
    page.Write(u"</body>\r\n</html>\r\n"_s);
    page.Close();
}

QString TMainDM::GradeTypeTitle(int rankId) const
{
    const QStringList grades = RankDescArray.value(rankId);
    QString list;
    for (qsizetype n = grades.size() - 1; n >= 0; --n) {
        if (!grades[n].isEmpty())
            list += HtmlEscaped(grades[n]) + u'(' + QString::number(n) + u"),"_s;
    }
    list.chop(1);
    return HeadingSpan + u" ■ 成绩项类型"_s + HtmlEscaped(RankCodeList.value(rankId)) + u"："_s +
           HtmlEscaped(RankNameList.value(rankId)) + u"，对应等级："_s + u"</span>"_s + list;
}

void TMainDM::ShowCodeTableHtml()
{
    const QString fileName = ZKMainDef().LoginInfo.UserFolder + u"codetable.htm"_s;
    try {
        WriteCodeTablePage(fileName, QDate::currentDate().year(), CodeTablePageWidth());
        MakePrivateFile(fileName);
        FDocumentOpener->OpenDocument(fileName);
    } catch (const EZKError &e) {
        FMessageSink->ShowMessage(u"生成代码表时出错："_s + e.Message(), u"代码表页面"_s, TMsgIcon::Error);
    }
}
