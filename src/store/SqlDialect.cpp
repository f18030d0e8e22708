#include "store/SqlDialect.h"

#include "store/SqlColumnTypes.h"
#include "store/SqlTokens.h"
#include "store/ZKError.h"

#include <QCryptographicHash>
#include <QSet>
#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

using K = TSqlTokKind;

// Words that end an operand: an arithmetic operand never runs across them.
bool IsStopWord(const TSqlTok &t)
{
    static const QSet<QString> words = {
        u"select"_s, u"from"_s,   u"where"_s,   u"and"_s,    u"or"_s,     u"not"_s,      u"is"_s,
        u"in"_s,     u"like"_s,   u"between"_s, u"on"_s,     u"set"_s,    u"as"_s,       u"by"_s,
        u"having"_s, u"when"_s,   u"then"_s,    u"else"_s,   u"case"_s,   u"end"_s,      u"join"_s,
        u"inner"_s,  u"left"_s,   u"right"_s,   u"outer"_s,  u"full"_s,   u"cross"_s,    u"values"_s,
        u"into"_s,   u"order"_s,  u"group"_s,   u"asc"_s,    u"desc"_s,   u"distinct"_s, u"top"_s,
        u"union"_s,  u"all"_s,    u"limit"_s,   u"exists"_s, u"escape"_s, u"update"_s,   u"delete"_s,
        u"insert"_s, u"create"_s, u"drop"_s,    u"table"_s,  u"with"_s,   u"collate"_s,  u"mod"_s};
    return t.Is(K::Word) && words.contains(t.Text.toLower());
}

bool IsName(const TSqlTok &t)
{
    return (t.Is(K::Word) && !IsStopWord(t)) || t.Is(K::QuotedName);
}

bool IsOperandToken(const TSqlTok &t)
{
    return IsName(t) || t.Is(K::String) || t.Is(K::Number) || t.Is(K::Param) || t.Is(K::Raw);
}

bool IsOperandEnd(const TSqlTok &t)
{
    return IsOperandToken(t) || t.Is(K::RParen);
}

// Operators that bind tighter than + and -.
bool IsMulOp(const TSqlTok &t)
{
    return t.IsOp("*"_L1) || t.IsOp("/"_L1) || t.IsOp("\\"_L1) || t.IsOp("^"_L1) || t.IsOp("%"_L1) ||
           t.IsWord("mod"_L1);
}

bool IsAddOp(const TSqlTok &t)
{
    return t.IsOp("+"_L1) || t.IsOp("-"_L1);
}

bool SameName(const TSqlTok &a, const TSqlTok &b)
{
    return (a.Is(K::Word) || a.Is(K::QuotedName)) && (b.Is(K::Word) || b.Is(K::QuotedName)) &&
           a.Text.compare(b.Text, Qt::CaseInsensitive) == 0;
}

TSqlToks Trimmed(TSqlToks toks)
{
    while (!toks.isEmpty() && toks.first().Is(K::Space))
        toks.removeFirst();
    while (!toks.isEmpty() && toks.last().Is(K::Space))
        toks.removeLast();
    return toks;
}

// First token of the left operand of the binary operator at index op: everything back
// to the nearest operator of lower precedence (+ and - associate to the left, so an
// earlier + or - belongs to the left operand).
qsizetype LeftOperandStart(const TSqlToks &toks, qsizetype op)
{
    qsizetype start = op;
    for (qsizetype j = op - 1; j >= 0; --j) {
        const TSqlTok &t = toks[j];
        if (t.Is(K::Space))
            continue;
        if (t.Is(K::RParen)) {
            const qsizetype m = MatchingParen(toks, j);
            if (m < 0)
                break;
            start = j = m;
            continue;
        }
        if (!(IsOperandToken(t) || t.Is(K::Dot) || IsMulOp(t) || IsAddOp(t)))
            break;
        start = j;
    }
    return start;
}

// Last token of one primary starting at or after index from (unary signs, a name,
// a qualified name, a function call, a literal or a parenthesised expression); -1 when
// there is none.
qsizetype PrimaryEnd(const TSqlToks &toks, qsizetype from)
{
    qsizetype k = NextSolid(toks, from);
    while (k < toks.size() && IsAddOp(toks[k]))
        k = NextSolid(toks, k + 1);
    if (k >= toks.size())
        return -1;
    const TSqlTok &t = toks[k];
    if (t.Is(K::LParen))
        return MatchingParen(toks, k);
    if (t.Is(K::String) || t.Is(K::Number) || t.Is(K::Param) || t.Is(K::Raw))
        return k;
    if (!IsName(t))
        return -1;
    qsizetype end = k;
    for (;;) {
        const qsizetype nx = NextSolid(toks, end + 1);
        if (nx < toks.size() && toks[nx].Is(K::Dot)) {
            const qsizetype nn = NextSolid(toks, nx + 1);
            if (nn < toks.size() && IsName(toks[nn])) {
                end = nn;
                continue;
            }
        }
        if (nx < toks.size() && toks[nx].Is(K::LParen) && toks[end].Is(K::Word))
            return MatchingParen(toks, nx);
        return end;
    }
}

// Last token of the right operand of the additive operator at index op.
qsizetype RightOperandEnd(const TSqlToks &toks, qsizetype op)
{
    qsizetype end = PrimaryEnd(toks, op + 1);
    while (end >= 0) {
        const qsizetype nx = NextSolid(toks, end + 1);
        if (nx >= toks.size() || !IsMulOp(toks[nx]))
            break;
        const qsizetype e2 = PrimaryEnd(toks, nx + 1);
        if (e2 < 0)
            break;
        end = e2;
    }
    return end;
}

bool IsBinaryAt(const TSqlToks &toks, qsizetype op)
{
    const qsizetype p = PrevSolid(toks, op - 1);
    return p >= 0 && IsOperandEnd(toks[p]);
}

// a + b → jet_add(a, b): Jet's + concatenates texts and adds numbers.
void RewritePlus(TSqlToks &toks)
{
    for (qsizetype i = 0; i < toks.size(); ++i) {
        if (!toks[i].IsOp("+"_L1) || !IsBinaryAt(toks, i))
            continue;
        const qsizetype s = LeftOperandStart(toks, i);
        const qsizetype e = RightOperandEnd(toks, i);
        if (s >= i || e < 0)
            continue;
        TSqlToks repl{{K::Word, u"jet_add"_s}, {K::LParen, u"("_s}};
        repl += Trimmed(toks.mid(s, i - s));
        repl += {{K::Comma, u","_s}, {K::Space, u" "_s}};
        repl += Trimmed(toks.mid(i + 1, e - i));
        repl += TSqlTok{K::RParen, u")"_s};
        toks.remove(s, e - s + 1);
        for (qsizetype k = 0; k < repl.size(); ++k)
            toks.insert(s + k, repl[k]);
        i = s; // the right operand may hold further + inside parentheses
    }
}

// Jet's / is always a floating-point division.
void RewriteDivide(TSqlToks &toks)
{
    for (qsizetype i = 0; i < toks.size(); ++i) {
        if (toks[i].IsOp("/"_L1) && IsBinaryAt(toks, i))
            toks[i] = RawTok(u"* 1.0 /"_s);
    }
}

// now without parentheses is the function.
void RewriteNow(TSqlToks &toks)
{
    for (qsizetype i = 0; i < toks.size(); ++i) {
        if (!toks[i].IsWord("now"_L1))
            continue;
        const qsizetype p = PrevSolid(toks, i - 1);
        const qsizetype n = NextSolid(toks, i + 1);
        if ((p >= 0 && toks[p].Is(K::Dot)) || (n < toks.size() && toks[n].Is(K::LParen)))
            continue;
        toks[i] = RawTok(u"now()"_s);
    }
}

// Index of the token that ends the select starting at index sel: the parenthesis that
// closes its level, or the end of the statement.
qsizetype SelectEnd(const TSqlToks &toks, qsizetype sel)
{
    int depth = 0;
    for (qsizetype j = sel + 1; j < toks.size(); ++j) {
        if (toks[j].Is(K::LParen)) {
            ++depth;
        } else if (toks[j].Is(K::RParen)) {
            if (depth == 0)
                return j;
            --depth;
        }
    }
    return toks.size();
}

// select [distinct] top n … → select [distinct] … limit n
void RewriteTop(TSqlToks &toks)
{
    for (qsizetype i = 0; i < toks.size(); ++i) {
        if (!toks[i].IsWord("select"_L1))
            continue;
        qsizetype k = NextSolid(toks, i + 1);
        if (k < toks.size() && toks[k].IsWord("distinctrow"_L1))
            toks[k].Text = u"distinct"_s;
        if (k < toks.size() && (toks[k].IsWord("distinct"_L1) || toks[k].IsWord("all"_L1)))
            k = NextSolid(toks, k + 1);
        if (k >= toks.size() || !toks[k].IsWord("top"_L1))
            continue;
        const qsizetype num = NextSolid(toks, k + 1);
        bool ok = false;
        const qint64 n = num < toks.size() ? toks[num].Text.toLongLong(&ok) : 0;
        if (!ok || !toks[num].Is(K::Number))
            throw EZKError(u"Syntax error: top must be followed by a whole number."_s);
        const qsizetype after = NextSolid(toks, num + 1);
        if (after < toks.size() && toks[after].IsWord("percent"_L1))
            throw EZKError(u"top … percent is not supported."_s);
        qsizetype last = num;
        if (last + 1 < toks.size() && toks[last + 1].Is(K::Space) && toks[k - 1].Is(K::Space))
            ++last;
        toks.remove(k, last - k + 1);
        toks.insert(SelectEnd(toks, i), RawTok(u" LIMIT %1"_s.arg(n)));
    }
}

QString AttachAlias(const QString &path)
{
    return u"jetin_"_s +
           QString::fromLatin1(
               QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(12));
}

// T in "file" → alias.T, the file attached under alias.
void RewriteInFile(TSqlToks &toks, TSqlPlan &plan)
{
    for (qsizetype i = 0; i < toks.size(); ++i) {
        if (!toks[i].IsWord("in"_L1))
            continue;
        const qsizetype p = PrevSolid(toks, i - 1);
        const qsizetype s = NextSolid(toks, i + 1);
        if (p < 0 || !IsName(toks[p]) || s >= toks.size() || !toks[s].Is(K::String))
            continue;
        const QString path = toks[s].Text;
        const QString alias = AttachAlias(path);
        if (std::none_of(plan.Attachments.cbegin(), plan.Attachments.cend(),
                         [&](const TSqlAttachment &a) { return a.Alias == alias; }))
            plan.Attachments.append({alias, path});
        const TSqlTok table = toks[p];
        toks.remove(p, s - p + 1);
        toks.insert(p, table);
        toks.insert(p, {K::Dot, u"."_s});
        toks.insert(p, {K::Word, alias});
        i = p + 2;
    }
}

// Index of the first word equal to keyword at parenthesis depth 0 after from; size when none.
qsizetype FindTopLevelWord(const TSqlToks &toks, qsizetype from, QLatin1StringView keyword)
{
    int depth = 0;
    for (qsizetype j = from; j < toks.size(); ++j) {
        if (toks[j].Is(K::LParen))
            ++depth;
        else if (toks[j].Is(K::RParen))
            --depth;
        else if (depth == 0 && toks[j].IsWord(keyword))
            return j;
    }
    return toks.size();
}

// Drops the qualifier of each assigned column of an update; the target is the only
// table whose columns SQLite lets an update set.
void UnqualifyAssignments(TSqlToks &toks, qsizetype setIdx, const TSqlTok &target, const TSqlTok *second)
{
    const qsizetype whereIdx = FindTopLevelWord(toks, setIdx + 1, "where"_L1);
    QList<qsizetype> starts{setIdx + 1};
    int depth = 0;
    for (qsizetype j = setIdx + 1; j < whereIdx; ++j) {
        if (toks[j].Is(K::LParen))
            ++depth;
        else if (toks[j].Is(K::RParen))
            --depth;
        else if (depth == 0 && toks[j].Is(K::Comma))
            starts.append(j + 1);
    }
    for (qsizetype n = starts.size() - 1; n >= 0; --n) {
        const qsizetype q = NextSolid(toks, starts[n]);
        const qsizetype dot = NextSolid(toks, q + 1);
        if (q >= whereIdx || dot >= whereIdx || !toks[dot].Is(K::Dot))
            continue;
        if (second && SameName(toks[q], *second))
            throw EZKError(
                u"An update of two tables can only set columns of the first table (%1)."_s.arg(target.Text));
        if (SameName(toks[q], target))
            toks.remove(q, NextSolid(toks, dot + 1) - q);
    }
}

// update A, B set A.x = B.y where … → update A set x = B.y from B where …
void RewriteUpdate(TSqlToks &toks, qsizetype first)
{
    const qsizetype a = NextSolid(toks, first + 1);
    if (a >= toks.size() || !IsName(toks[a]))
        return;
    const TSqlTok target = toks[a];
    std::optional<TSqlTok> second;
    qsizetype c = NextSolid(toks, a + 1);
    if (c < toks.size() && toks[c].Is(K::Comma)) {
        const qsizetype b = NextSolid(toks, c + 1);
        if (b >= toks.size() || !IsName(toks[b]))
            return;
        second = toks[b];
        toks.remove(a + 1, b - a);
        if (a + 1 >= toks.size() || !toks[a + 1].Is(K::Space))
            toks.insert(a + 1, {K::Space, u" "_s});
        c = NextSolid(toks, a + 1);
    }
    if (c >= toks.size() || !toks[c].IsWord("set"_L1))
        return;
    UnqualifyAssignments(toks, c, target, second ? &*second : nullptr);
    if (second) {
        const qsizetype whereIdx = FindTopLevelWord(toks, c + 1, "where"_L1);
        const TSqlToks from{RawTok(u" FROM "_s), *second, {K::Space, u" "_s}};
        for (qsizetype k = 0; k < from.size(); ++k)
            toks.insert(whereIdx + k, from[k]);
    }
}

// select … into T from … → the select, with T remembered.
void ExtractInto(TSqlToks &toks, qsizetype first, TSqlPlan &plan)
{
    const qsizetype into = FindTopLevelWord(toks, first + 1, "into"_L1);
    const qsizetype from = FindTopLevelWord(toks, first + 1, "from"_L1);
    if (into >= toks.size() || into > from)
        return;
    const qsizetype t = NextSolid(toks, into + 1);
    if (t >= toks.size() || !IsName(toks[t]))
        throw EZKError(u"Syntax error: into must be followed by a table name."_s);
    const qsizetype after = NextSolid(toks, t + 1);
    if (after < toks.size() && (toks[after].Is(K::Dot) || toks[after].IsWord("in"_L1)))
        throw EZKError(u"select … into a table of another database is not supported."_s);
    plan.Kind = TSqlPlanKind::SelectInto;
    plan.Table = toks[t].Text;
    toks.remove(into, t - into + 1);
}

// insert into T select … → the select, with T remembered: the columns are matched by
// name when the statement runs.
void ExtractInsertSelect(TSqlToks &toks, qsizetype first, TSqlPlan &plan)
{
    const qsizetype into = NextSolid(toks, first + 1);
    if (into >= toks.size() || !toks[into].IsWord("into"_L1))
        return;
    const qsizetype t = NextSolid(toks, into + 1);
    if (t >= toks.size() || !IsName(toks[t]))
        return;
    const qsizetype sel = NextSolid(toks, t + 1);
    if (sel >= toks.size() || !toks[sel].IsWord("select"_L1))
        return;
    plan.Kind = TSqlPlanKind::InsertSelect;
    plan.Table = toks[t].Text;
    toks.remove(0, sel);
}

void AddCollationToLiterals(TSqlToks &toks)
{
    for (qsizetype i = 0; i < toks.size(); ++i) {
        if (toks[i].Is(K::String))
            toks.insert(++i, RawTok(u" COLLATE NOCASE"_s));
    }
}

QString CounterTrigger(const QString &table, const QString &column)
{
    const auto q = [](const QString &n) -> QString {
        return u'"' + QString(n).replace(u'"', "\"\""_L1) + u'"';
    };
    return u"CREATE TRIGGER %1 AFTER INSERT ON %2 WHEN NEW.%3 IS NULL BEGIN "
           "UPDATE %2 SET %3 = (SELECT IFNULL(MAX(%3), 0) + 1 FROM %2) WHERE rowid = NEW.rowid; END"_s.arg(
               q(u"zk_counter_"_s + table + u'_' + column), q(table), q(column));
}

// Maps the type of the column definition that starts at index from and ends before
// index end; a counter column adds its numbering trigger to the plan. A key column
// (keyColumns, or a primary key clause of its own) refuses null, as Jet's keys do.
void MapColumnDefinition(TSqlToks &toks, qsizetype from, qsizetype end, const QString &table,
                         const QStringList &keyColumns, TSqlPlan &plan)
{
    static const QSet<QString> constraints = {u"primary"_s, u"constraint"_s, u"unique"_s,
                                              u"foreign"_s, u"check"_s,      u"index"_s};
    const qsizetype f = NextSolid(toks, from);
    // A quoted name is a column even when it reads like a constraint keyword.
    if (f >= end || (toks[f].Is(K::Word) && constraints.contains(toks[f].Text.toLower())))
        return;
    const qsizetype typeIdx = NextSolid(toks, f + 1);
    if (typeIdx >= end || !toks[typeIdx].Is(K::Word))
        return;
    qsizetype typeEnd = typeIdx;
    QString size;
    const qsizetype open = NextSolid(toks, typeIdx + 1);
    if (open < end && toks[open].Is(K::LParen)) {
        typeEnd = MatchingParen(toks, open);
        if (typeEnd < 0 || typeEnd >= end)
            throw EZKError(u"Syntax error in field definition of %1."_s.arg(toks[f].Text));
        const qsizetype num = NextSolid(toks, open + 1);
        size = num < typeEnd ? toks[num].Text : QString();
    }
    const qsizetype with = NextSolid(toks, typeEnd + 1);
    if (with < end && toks[with].IsWord("with"_L1)) {
        const qsizetype comp = NextSolid(toks, with + 1);
        if (comp < end && (toks[comp].IsWord("comp"_L1) || toks[comp].IsWord("compression"_L1)))
            typeEnd = comp;
    }
    QString mapped = MapJetColumnType(toks[typeIdx].Text, size);
    if (mapped.startsWith("COUNTER"_L1))
        plan.FollowUps.append(CounterTrigger(table, toks[f].Text));
    bool key = keyColumns.contains(toks[f].Text, Qt::CaseInsensitive);
    for (qsizetype j = typeEnd + 1; j < end && !key; ++j)
        key = toks[j].IsWord("primary"_L1);
    if (key)
        mapped += u" NOT NULL"_s;
    toks.remove(typeIdx, typeEnd - typeIdx + 1);
    toks.insert(typeIdx, RawTok(mapped));
}

// The columns named by a table's "primary key (a, b)" clause.
QStringList KeyColumns(const TSqlToks &toks, const QList<qsizetype> &bounds)
{
    QStringList keys;
    for (qsizetype n = 0; n + 1 < bounds.size(); ++n) {
        const qsizetype p = NextSolid(toks, bounds[n] + 1);
        if (p >= bounds[n + 1] || !toks[p].IsWord("primary"_L1))
            continue;
        for (qsizetype j = p; j < bounds[n + 1]; ++j) {
            if (toks[j].Is(K::QuotedName) ||
                (toks[j].Is(K::Word) && !toks[j].IsWord("primary"_L1) && !toks[j].IsWord("key"_L1)))
                keys.append(toks[j].Text);
        }
    }
    return keys;
}

void RewriteCreateTable(TSqlToks &toks, qsizetype nameIdx, TSqlPlan &plan)
{
    const qsizetype open = NextSolid(toks, nameIdx + 1);
    if (open >= toks.size() || !toks[open].Is(K::LParen))
        return;
    const qsizetype close = MatchingParen(toks, open);
    if (close < 0)
        throw EZKError(u"Syntax error in create table: unbalanced parentheses."_s);
    QList<qsizetype> bounds{open};
    int depth = 0;
    for (qsizetype j = open + 1; j < close; ++j) {
        if (toks[j].Is(K::LParen))
            ++depth;
        else if (toks[j].Is(K::RParen))
            --depth;
        else if (depth == 0 && toks[j].Is(K::Comma))
            bounds.append(j);
    }
    bounds.append(close);
    const QStringList keys = KeyColumns(toks, bounds);
    // Right to left, so that the bounds still to come keep their places.
    for (qsizetype n = bounds.size() - 2; n >= 0; --n)
        MapColumnDefinition(toks, bounds[n] + 1, bounds[n + 1], toks[nameIdx].Text, keys, plan);
}

// alter table T add [column] name type …
void RewriteAlterTable(TSqlToks &toks, qsizetype nameIdx, TSqlPlan &plan)
{
    qsizetype add = NextSolid(toks, nameIdx + 1);
    if (add >= toks.size() || !toks[add].IsWord("add"_L1))
        return;
    qsizetype col = NextSolid(toks, add + 1);
    if (col < toks.size() && toks[col].IsWord("column"_L1))
        add = col;
    MapColumnDefinition(toks, add + 1, toks.size(), toks[nameIdx].Text, {}, plan);
}

void StripTrailingSemicolons(TSqlToks &toks)
{
    while (!toks.isEmpty() && (toks.last().Is(K::Space) || toks.last().IsOp(";"_L1)))
        toks.removeLast();
}

bool TranslateDefinition(TSqlToks &toks, qsizetype first, TSqlPlan &plan)
{
    const qsizetype second = NextSolid(toks, first + 1);
    if (second >= toks.size() || !toks[second].IsWord("table"_L1))
        return false;
    const qsizetype name = NextSolid(toks, second + 1);
    if (name >= toks.size() || !IsName(toks[name]))
        return false;
    if (toks[first].IsWord("create"_L1))
        RewriteCreateTable(toks, name, plan);
    else if (toks[first].IsWord("alter"_L1))
        RewriteAlterTable(toks, name, plan);
    return true;
}

} // namespace

TSqlPlan TranslateJetSql(const QString &jetSql)
{
    TSqlPlan plan;
    TSqlToks toks = TokenizeSql(jetSql);
    StripTrailingSemicolons(toks);
    for (const TSqlTok &t : toks) {
        if (t.Is(K::Param) && !plan.ParamNames.contains(t.Text))
            plan.ParamNames.append(t.Text);
    }
    const qsizetype first = NextSolid(toks, 0);
    if (first < toks.size() && (toks[first].IsWord("create"_L1) || toks[first].IsWord("alter"_L1)) &&
        TranslateDefinition(toks, first, plan)) {
        plan.Sql = RenderSql(toks);
        return plan;
    }
    RewriteInFile(toks, plan);
    if (first < toks.size() && toks[first].IsWord("update"_L1))
        RewriteUpdate(toks, first);
    if (first < toks.size() && toks[first].IsWord("select"_L1))
        ExtractInto(toks, first, plan);
    if (first < toks.size() && toks[first].IsWord("insert"_L1))
        ExtractInsertSelect(toks, first, plan);
    RewriteTop(toks);
    RewriteNow(toks);
    RewritePlus(toks);
    RewriteDivide(toks);
    AddCollationToLiterals(toks);
    plan.Sql = RenderSql(toks);
    return plan;
}
