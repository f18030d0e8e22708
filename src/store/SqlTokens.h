#pragma once

#include <QList>
#include <QString>

// Tokens of a statement written in the Jet dialect. The dialect translation works on
// this list: it never touches the inside of a literal or a quoted name, and it renders
// the list back into SQLite's syntax.

enum class TSqlTokKind
{
    Space,      // white space and line breaks, kept as written
    Word,       // a name or a keyword
    QuotedName, // [name] or `name`; Text holds the bare name
    String,     // "text" or 'text'; Text holds the value with the quote escapes resolved
    Number,
    Param, // :name; Text holds the name in lower case
    Op,    // operators and other punctuation
    LParen,
    RParen,
    Comma,
    Dot,
    Raw // produced by the translation: rendered as it stands
};

struct TSqlTok
{
    TSqlTokKind Kind = TSqlTokKind::Space;
    QString Text;

    bool Is(TSqlTokKind kind) const { return Kind == kind; }
    // A Word equal to the keyword, ignoring case.
    bool IsWord(QLatin1StringView keyword) const;
    bool IsOp(QLatin1StringView op) const { return Kind == TSqlTokKind::Op && Text == op; }
};

using TSqlToks = QList<TSqlTok>;

// Splits a statement. Throws EZKError for an unterminated literal or name.
TSqlToks TokenizeSql(const QString &sql);

// SQLite text of the tokens: strings single-quoted, quoted names double-quoted,
// parameters as :name.
QString RenderSql(const TSqlToks &toks);

// Index of the next token at or after from that is not white space; toks.size() when none.
qsizetype NextSolid(const TSqlToks &toks, qsizetype from);
// Index of the previous token at or before from that is not white space; -1 when none.
qsizetype PrevSolid(const TSqlToks &toks, qsizetype from);
// Index of the parenthesis matching the one at index open (or close); -1 when unbalanced.
qsizetype MatchingParen(const TSqlToks &toks, qsizetype index);

// A token quoting text as an SQLite identifier or literal.
TSqlTok QuotedNameTok(const QString &name);
TSqlTok RawTok(const QString &text);
