#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// Small text helpers of the workspace.

// The position of a text in a list sorted without regard to case, -1 when absent.
int SortedIndexOf(const QStringList &sorted, const QString &text);
// Inserts a text into such a list unless it is there; returns its position and whether
// it was inserted.
int SortedInsert(QStringList &sorted, const QString &text, bool *inserted = nullptr);

// The text as an integer, -1 when it is no number.
int IntOrMinusOne(const QString &text);

// Splits at control characters, spaces and the extra delimiter; empty pieces dropped.
QStringList SplitAtBlanksAnd(const QString &text, QChar delimiter);

// The shortest decimal text that reads back to the number: plain digits for everyday
// magnitudes ("600.5", "-3", "0.25"), and the form "1E20" / "-1.5E-7" for exponents of
// 15 and above or below -5.
QString ShortestDecimalText(double value);

// Text for insertion into HTML: &, <, > and " escaped.
QString HtmlEscaped(const QString &text);
