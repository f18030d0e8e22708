// Parsing of the page templates and writing of the page files.
#include "details/DNPageBuilder.h"

#include "store/NameGuards.h"
#include "store/PrivateFiles.h"
#include "store/Schema.h"
#include "store/SqlQuery.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// The placeholders whose parameter is a format text: they end with "#>".
bool EndsWithHashMark(QChar kind, QChar letter)
{
    return (kind == u'0' && (letter == u'C' || letter == u'Z')) || (kind == u'1' && letter == u'Z') ||
           (kind == u'3' && letter == u'J');
}

// A percent sign meant literally (before a blank or control character, a quote, ';' or
// '>') is doubled so that it survives the format function.
QString EscapedFormat(const QString &param)
{
    QString out;
    out.reserve(param.size() + 8);
    for (qsizetype i = 0; i < param.size(); ++i) {
        out += param[i];
        if (param[i] != u'%' || i + 1 >= param.size())
            continue;
        const char16_t next = param[i + 1].unicode();
        if ((next >= 1 && next <= 32) || next == u'"' || next == u'\'' || next == u';' || next == u'>')
            out += u'%';
    }
    return out;
}

QByteArray Utf16LeBytes(const QString &text)
{
    QByteArray bytes;
    bytes.resize(text.size() * 2);
    char *p = bytes.data();
    for (const QChar c : text) {
        *p++ = char(c.unicode() & 0xFF);
        *p++ = char(c.unicode() >> 8);
    }
    return bytes;
}

void LoadRow(TSqlQuery &query, QHash<QString, QVariant> &row)
{
    row.clear();
    if (query.Eof())
        return;
    for (int i = 0; i < query.FieldCount(); ++i)
        row.insert(query.FieldDef(i).Name.toUpper(), query.Value(i));
}

} // namespace

const QStringList &DNTemplateNames()
{
    static const QStringList names{u"bmxx"_s, u"cjzyxx"_s, u"tjxx"_s};
    return names;
}

TDNPageBuilder::TDNPageBuilder(TMainDM &dm)
    : FDm(dm)
{}

QString TDNPageBuilder::ReadTemplateFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EZKError(
            u"无法读取页面模板 %1: %2"_s.arg(QDir::toNativeSeparators(fileName), file.errorString()));
    const QByteArray bytes = file.readAll();
    QString text(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(uchar(bytes[2 * i]) | (uchar(bytes[2 * i + 1]) << 8)));
    return text;
}

void TDNPageBuilder::Init()
{
    const QString folder = ZKMainDef().ProgramFolder;
    for (int n = 0; n < DNTemplateCount; ++n)
        SetTemplate(n, ReadTemplateFile(folder + DNTemplateNames()[n] + u".htm"_s));
    ReadFieldTypes();
}

void TDNPageBuilder::SetTemplate(int pageIndex, const QString &text)
{
    HtmlFileArray.at(size_t(pageIndex)) = ParseTemplate(text);
}

void TDNPageBuilder::ReadFieldTypes()
{
    FFieldTypes.clear();
    TSqlQuery table(&FDm.UnivConn);
    table.OpenTable(ZKTable::T_TDDZDSX);
    for (; !table.Eof(); table.Next()) {
        const QString zdlx = table.AsString(u"ZDLX"_s);
        FFieldTypes.insert(
            table.AsString(u"ZDDH"_s).trimmed().toUpper(),
            {zdlx.isEmpty() ? QChar() : zdlx[0].toUpper(), table.AsString(u"DMK"_s).trimmed()});
    }
}

TDNHtmlFile TDNPageBuilder::ParseTemplate(const QString &text) const
{
    TDNHtmlFile file;
    qsizetype pos = 0;
    qsizetype literalStart = 0;
    while (true) {
        qsizetype at = text.indexOf(u"<#"_s, pos);
        while (at >= 0 && !(at + 2 < text.size() && text[at + 2] >= u'0' && text[at + 2] <= u'3'))
            at = text.indexOf(u"<#"_s, at + 1);
        if (at < 0)
            break;
        qsizetype next = at;
        TDNHtmlFile placeholder;
        ParsePlaceholder(text, next, placeholder);
        if (next == at) { // no end mark: the rest is text
            pos = at + 2;
            continue;
        }
        if (at > literalStart)
            file.Items.append({&TDNPageBuilder::LiteralStr, text.mid(literalStart, at - literalStart), 0});
        file.Items += placeholder.Items;
        file.Flags |= placeholder.Flags;
        pos = literalStart = next;
    }
    if (literalStart < text.size() || file.Items.isEmpty())
        file.Items.append({&TDNPageBuilder::LiteralStr, text.mid(literalStart), 0});
    return file;
}

// Parses the placeholder at pos ("<#" and a kind digit 0..3) into one item and moves pos
// past its end mark; leaves pos unchanged when the placeholder has no end mark.
void TDNPageBuilder::ParsePlaceholder(const QString &text, qsizetype &pos, TDNHtmlFile &file) const
{
    const QChar kind = text[pos + 2];
    qsizetype paramStart = pos + 3;
    QChar letter;
    if (kind == u'0') {
        if (paramStart + 1 < text.size() && text[paramStart] == u':') {
            letter = text[paramStart + 1].toUpper();
            paramStart += 2;
        }
    } else if (kind == u'1' || kind == u'3') {
        if (paramStart >= text.size())
            return;
        letter = text[paramStart].toUpper();
        ++paramStart;
    }
    const QString endMark = EndsWithHashMark(kind, letter) ? u"#>"_s : u">"_s;
    const qsizetype end = text.indexOf(endMark, paramStart);
    if (end < 0)
        return;
    const QString param = text.mid(paramStart, end - paramStart);
    pos = end + endMark.size();

    auto add = [&](TGetItemStrFunc f, const QString &s, int n = 0) { file.Items.append({f, s, n}); };
    if (kind == u'0' && letter.isNull()) {
        add(&TDNPageBuilder::DossierFieldStr, param);
    } else if (kind == u'0') {
        switch (letter.unicode()) {
        case u'B':
            add(&TDNPageBuilder::RemarkBoxStr, param);
            break;
        case u'C':
            add(&TDNPageBuilder::ScoreTableStr, EscapedFormat(param));
            break;
        case u'D': {
            const qsizetype hash = param.indexOf(u'#');
            const QString table = hash < 0 ? QString() : param.mid(hash + 1);
            add(&TDNPageBuilder::CodeFieldStr, hash < 0 ? param : param.left(hash),
                FDm.GetDMTableIndex(table));
            break;
        }
        case u'S': {
            bool ok = false;
            const int row = param.trimmed().toInt(&ok);
            add(&TDNPageBuilder::StatusStr, param, ok ? row : -1);
            break;
        }
        case u'T':
            add(&TDNPageBuilder::KstzStr, param);
            break;
        case u'X':
            add(&TDNPageBuilder::AdjustedScoreStr, param);
            break;
        case u'Y':
            add(&TDNPageBuilder::DecisionStr, param);
            break;
        case u'Z':
            add(&TDNPageBuilder::WishesStr, EscapedFormat(param));
            break;
        default:
            add(&TDNPageBuilder::ParamStr, param);
            break;
        }
    } else if (kind == u'1') {
        file.Flags |= DNHtmlFlags::NeedsTjxx;
        switch (letter.unicode()) {
        case u'S':
            add(&TDNPageBuilder::TjxxStr, param);
            break;
        case u'R':
            add(&TDNPageBuilder::TjxxValueStr, param, vgResult);
            break;
        case u'Y':
            add(&TDNPageBuilder::TjxxValueStr, param, vgNormal);
            break;
        case u'F':
            add(&TDNPageBuilder::TjxxValueStr, u"NK_FYQK"_s, vgNK_FYQK);
            break;
        case u'J':
            add(&TDNPageBuilder::TjxxValueStr, u"JWBSBZ"_s, vgJWBSBZ);
            break;
        case u'K':
            add(&TDNPageBuilder::TjxxValueStr, u"KQ_SFKC"_s, vgKQ_SFKC);
            break;
        case u'P':
            add(&TDNPageBuilder::TjxxValueStr, u"YK_SJJCT"_s, vgYK_SJJCT);
            break;
        case u'X':
            add(&TDNPageBuilder::TjxxValueStr, u"EB_XJ"_s, vgEB_XJ);
            break;
        case u'Z':
            add(&TDNPageBuilder::RestrictedMajorsStr, EscapedFormat(param));
            break;
        default:
            add(&TDNPageBuilder::ParamStr, param);
            break;
        }
    } else if (kind == u'2') {
        file.Flags |= DNHtmlFlags::NeedsHkcj;
        bool ok = false;
        const int n = param.trimmed().toInt(&ok);
        add(&TDNPageBuilder::ProficiencyStr, param, ok ? n : 1);
    } else {
        switch (letter.unicode()) {
        case u'T':
            add(&TDNPageBuilder::YearProvinceStr, param);
            break;
        case u'I':
            add(&TDNPageBuilder::PhotoCellStr, param);
            break;
        case u'J':
            add(&TDNPageBuilder::ResumeStr, EscapedFormat(param));
            break;
        default:
            add(&TDNPageBuilder::ParamStr, param);
            break;
        }
    }
}

void TDNPageBuilder::SetCandidate(const QString &ksh, TKSItem *item)
{
    Ksh = ksh;
    KsItem = item;
}

bool TDNPageBuilder::OpenDossierRow()
{
    TSqlQuery query(&FDm.UnivConn);
    query.SetSQL(u"select * from T_TDD where KSH = :ksh"_s);
    query.SetTextParam(u"ksh"_s, Ksh);
    query.Open();
    LoadRow(query, FDossier);
    return !query.Eof();
}

bool TDNPageBuilder::OpenTjxxRow()
{
    TSqlQuery query(&FDm.UnivConn);
    query.SetSQL(u"select * from t_tjxx where ksh = :ksh"_s);
    query.SetTextParam(u"ksh"_s, Ksh);
    query.Open();
    LoadRow(query, FTjxx);
    return !query.Eof();
}

void TDNPageBuilder::FillHKCJArray()
{
    HKCJArray.fill(QString());
    TSqlQuery query(&FDm.UnivConn);
    query.SetSQL(u"select * from T_KSHKCJ where KSH = :ksh"_s);
    query.SetTextParam(u"ksh"_s, Ksh);
    for (query.Open(); !query.Eof(); query.Next()) {
        bool ok = false;
        const int n = query.AsString(u"CJXDM"_s).trimmed().toInt(&ok);
        if (ok && n >= 1 && n <= 10)
            HKCJArray[size_t(n)] = query.AsString(u"CJ"_s);
    }
}

void TDNPageBuilder::LoadRows(int pageIndex)
{
    const int flags = HtmlFileArray.at(size_t(pageIndex)).Flags;
    if (!OpenDossierRow())
        throw EZKError(ZKTable::T_TDD + u"中找不到该考生"_s);
    FTjxx.clear();
    if ((flags & DNHtmlFlags::NeedsTjxx) && !OpenTjxxRow())
        throw EZKError(u"t_tjxx中找不到该考生"_s);
    if (flags & DNHtmlFlags::NeedsHkcj)
        FillHKCJArray();
}

QString TDNPageBuilder::PageText(int pageIndex)
{
    QString text;
    for (const TDNHtmlItem &item : HtmlFileArray.at(size_t(pageIndex)).Items)
        text += (this->*item.FGetItemStrFunc)(item.FStrParam, item.FIntParam);
    return text;
}

void TDNPageBuilder::WritePage(int pageIndex, const QString &fileName)
{
    LoadRows(pageIndex);
    CurHtmlFileName = fileName;
    const QByteArray bytes = Utf16LeBytes(PageText(pageIndex));
    // A page file is a view, not data: no flush to the disk, but no half page either.
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
        !file.flush()) {
        const QString error = file.errorString();
        file.close();
        file.remove();
        throw EZKError(u"%1: %2"_s.arg(QDir::toNativeSeparators(fileName), error));
    }
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner); // the member's alone
}

QString DNKshRefusalText()
{
    return u"考生号含有不能用于文件名的字符，不能生成该考生的页面。"_s;
}

QString TDNPageBuilder::BuildDNPage(int pageIndex)
{
    // The candidate number is the leader's and becomes part of the page file's name.
    if (!IsPlainCode(Ksh))
        throw EZKError(DNKshRefusalText());
    const QString oldFile = CurHtmlFileName;
    HtmlTempPath = ZKMainDef().LoginInfo.DownloadFolder + u"HtmlTemp/"_s;
    MakePrivateFolder(HtmlTempPath);
    const QString fileName =
        HtmlTempPath + Ksh + u'_' + DNTemplateNames().at(pageIndex) + u'_' + TimeStampText() + u".htm"_s;
    WritePage(pageIndex, fileName);
    if (!oldFile.isEmpty() && oldFile != fileName)
        QFile::remove(oldFile);
    return fileName;
}
