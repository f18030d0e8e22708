#include "store/SqlTokens.h"

#include "store/ZKError.h"

using namespace Qt::StringLiterals;

bool TSqlTok::IsWord(QLatin1StringView keyword) const
{
    return Kind == TSqlTokKind::Word && Text.compare(keyword, Qt::CaseInsensitive) == 0;
}

namespace {

bool IsWordStart(QChar c)
{
    return c.isLetter() || c == u'_' || c.unicode() >= 0x80;
}

bool IsWordChar(QChar c)
{
    return IsWordStart(c) || c.isDigit() || c == u'$';
}

// A literal or quoted name closed by `close`; a doubled closing character inside stands
// for one (Jet's escape for both kinds of quotes). Returns the index after the closer.
qsizetype ReadQuoted(const QString &sql, qsizetype start, QChar close, bool doubledEscapes, QString &value)
{
    qsizetype i = start + 1;
    while (i < sql.size()) {
        if (sql[i] == close) {
            if (doubledEscapes && i + 1 < sql.size() && sql[i + 1] == close) {
                value += close;
                i += 2;
                continue;
            }
            return i + 1;
        }
        value += sql[i++];
    }
    throw EZKError(u"Syntax error: the quote opened at position %1 is not closed."_s.arg(start + 1));
}

qsizetype ReadNumber(const QString &sql, qsizetype i)
{
    while (i < sql.size() && sql[i].isDigit())
        ++i;
    if (i < sql.size() && sql[i] == u'.') {
        ++i;
        while (i < sql.size() && sql[i].isDigit())
            ++i;
    }
    if (i < sql.size() && (sql[i] == u'e' || sql[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < sql.size() && (sql[j] == u'+' || sql[j] == u'-'))
            ++j;
        if (j < sql.size() && sql[j].isDigit()) {
            i = j;
            while (i < sql.size() && sql[i].isDigit())
                ++i;
        }
    }
    return i;
}

const QLatin1StringView TwoCharOps[] = {"<>"_L1, "<="_L1, ">="_L1, "!="_L1, "||"_L1, "=="_L1};

} // namespace

TSqlToks TokenizeSql(const QString &sql)
{
    TSqlToks toks;
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        const qsizetype start = i;
        if (c.isSpace()) {
            while (i < sql.size() && sql[i].isSpace())
                ++i;
            toks.append({TSqlTokKind::Space, sql.mid(start, i - start)});
        } else if (c == u'"' || c == u'\'') {
            QString value;
            i = ReadQuoted(sql, i, c, true, value);
            toks.append({TSqlTokKind::String, value});
        } else if (c == u'[' || c == u'`') {
            QString name;
            i = ReadQuoted(sql, i, c == u'[' ? u']' : u'`', false, name);
            toks.append({TSqlTokKind::QuotedName, name});
        } else if (c.isDigit() || (c == u'.' && i + 1 < sql.size() && sql[i + 1].isDigit())) {
            i = ReadNumber(sql, i);
            toks.append({TSqlTokKind::Number, sql.mid(start, i - start)});
        } else if (IsWordStart(c)) {
            while (i < sql.size() && IsWordChar(sql[i]))
                ++i;
            toks.append({TSqlTokKind::Word, sql.mid(start, i - start)});
        } else if (c == u':' && i + 1 < sql.size() && IsWordChar(sql[i + 1])) {
            ++i;
            while (i < sql.size() && IsWordChar(sql[i]))
                ++i;
            // Parameter names ignore case, as the data-access layer's do (":Pcdm" is "pcdm").
            toks.append({TSqlTokKind::Param, sql.mid(start + 1, i - start - 1).toLower()});
        } else if (c == u'(') {
            toks.append({TSqlTokKind::LParen, QString(c)});
            ++i;
        } else if (c == u')') {
            toks.append({TSqlTokKind::RParen, QString(c)});
            ++i;
        } else if (c == u',') {
            toks.append({TSqlTokKind::Comma, QString(c)});
            ++i;
        } else if (c == u'.') {
            toks.append({TSqlTokKind::Dot, QString(c)});
            ++i;
        } else {
            qsizetype len = 1;
            for (QLatin1StringView op : TwoCharOps) {
                if (QStringView(sql).mid(i, 2) == op) {
                    len = 2;
                    break;
                }
            }
            toks.append({TSqlTokKind::Op, sql.mid(i, len)});
            i += len;
        }
    }
    return toks;
}

TSqlTok QuotedNameTok(const QString &name)
{
    return {TSqlTokKind::QuotedName, name};
}

TSqlTok RawTok(const QString &text)
{
    return {TSqlTokKind::Raw, text};
}

QString RenderSql(const TSqlToks &toks)
{
    QString out;
    for (const TSqlTok &t : toks) {
        switch (t.Kind) {
        case TSqlTokKind::String:
            out += u'\'' + QString(t.Text).replace(u'\'', "''"_L1) + u'\'';
            break;
        case TSqlTokKind::QuotedName:
            out += u'"' + QString(t.Text).replace(u'"', "\"\""_L1) + u'"';
            break;
        case TSqlTokKind::Param:
            out += u':' + t.Text;
            break;
        default:
            out += t.Text;
        }
    }
    return out;
}

qsizetype NextSolid(const TSqlToks &toks, qsizetype from)
{
    while (from < toks.size() && toks[from].Is(TSqlTokKind::Space))
        ++from;
    return from;
}

qsizetype PrevSolid(const TSqlToks &toks, qsizetype from)
{
    while (from >= 0 && toks[from].Is(TSqlTokKind::Space))
        --from;
    return from;
}

qsizetype MatchingParen(const TSqlToks &toks, qsizetype index)
{
    const bool forward = toks[index].Is(TSqlTokKind::LParen);
    const qsizetype step = forward ? 1 : -1;
    int depth = 0;
    for (qsizetype i = index; i >= 0 && i < toks.size(); i += step) {
        if (toks[i].Is(TSqlTokKind::LParen))
            depth += step;
        else if (toks[i].Is(TSqlTokKind::RParen))
            depth -= step;
        if (depth == 0)
            return i;
    }
    return -1;
}
