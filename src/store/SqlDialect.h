#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The statements of this system are written in the Jet dialect and issued exactly as
// written; TranslateJetSql maps one of them to SQLite before it is prepared.
//
// Rules (each one a difference between the two engines):
// - "text" and 'text' are string literals (a doubled quote inside stands for one);
//   they become single-quoted literals. A literal compares without regard to case
//   (it carries COLLATE NOCASE), as every text column does (SqlColumnTypes.h), so
//   "ksh" = "KSH" holds, as in Jet.
// - [name] and `name` are names.
// - :name is a parameter; names ignore case.
// - a + b: Jet concatenates two texts and adds numbers. Which one happens is decided by
//   the operand values when the row is evaluated (jet_add): text + text (a binary code
//   column holds text) concatenates; a number with a number or a numeric text adds;
//   Null with anything gives Null; a text that is no number added to a number is Jet's
//   type mismatch error. So pcdm + kldm + jhxz is the three codes together.
// - a / b always divides as floating point (SQLite divides integers as integers).
// - now (also without parentheses) is the current local date and time as
//   "yyyy-MM-dd HH:mm:ss"; int(x) is the largest integer not above x (int(-8.4) = -9);
//   ucase(x) upper-cases every letter; ltrim(x) of a binary code column gives the code;
//   instr(start, text, part, mode) is Jet's: 1-based position in UTF-16 units, 0 when
//   absent, mode 0 exact and 1 ignoring case. iif and the aggregates are SQLite's own.
// - select [distinct] top n … gets limit n at the end of that select.
// - select … into T from … creates T with the columns (names and declared types) of
//   the select and fills it.
// - insert into T select … (without a column list) fills the columns of T named as the
//   select's columns, as Jet matches them by name; T's other columns take their
//   defaults.
// - update A, B set A.x = B.y where … becomes update A set x = B.y from B where …;
//   qualifiers of the assigned columns are dropped.
// - T in "file" names table T of another database file, which the connection attaches.
// - create table and alter table … add map the Jet column types (SqlColumnTypes.h);
//   a counter column gets the next number when a row is added without a value; the
//   columns of a primary key refuse null, as Jet's keys do (SQLite would take nulls).
// - a trailing ";" is dropped.
// Left as SQLite has them: like with % and _ (the wildcards the data-access layer uses),
// iif, count, sum, max, min, avg, distinct, group by, order by, left outer join,
// drop table, insert into … select with a column list.

struct TSqlAttachment
{
    QString Alias; // the schema name the statement uses
    QString Path;  // the database file
};

enum class TSqlPlanKind
{
    Plain,       // Sql is the whole statement
    SelectInto,  // select … into Table: Sql is the select
    InsertSelect // insert into Table select … without a column list: Sql is the select
};

struct TSqlPlan
{
    TSqlPlanKind Kind = TSqlPlanKind::Plain;
    QString Sql;           // the SQLite statement, or its select (see Kind)
    QString Table;         // the target table of SelectInto and InsertSelect
    QStringList FollowUps; // statements to run after Sql (numbering of counter columns)
    QList<TSqlAttachment> Attachments;
    QStringList ParamNames; // lower case, in order of first appearance, each once
};

// Throws EZKError for a statement it cannot read (an unclosed quote, an unknown column
// type, an update of the second table of a two-table update, top n percent).
TSqlPlan TranslateJetSql(const QString &jetSql);
