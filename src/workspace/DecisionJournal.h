#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class TSqlConnection;

// One recorded decision: when the member decided, on which candidate of which set, the
// status before and after, and what was written with it. Once an upload that carried it
// has been acknowledged by the leader, the package number of that upload and the time
// of the acknowledgement.
struct TJournalEntry
{
    qint64 Number = 0; // JLBH: rises with every row; newest is largest
    QString Time;      // JLSJ: local time "yyyy-MM-dd hh:mm:ss"
    QString PCDM, KLDM, JHXZ;
    QString KSH, XM;
    QString OldStatus; // YKSZT: KSZT before the decision
    QString NewStatus; // XKSZT: KSZT written ("1" or "2")
    QString LQZY;      // the major written ("" for a return)
    QString TDYYDM;    // the return reason written ("" for a pre-admission)
    QString BZ;        // the remark written
    bool Sent = false;
    int PackageNumber = 0; // FSBH, when sent
    QString SentTime;      // FSSJ, when sent

    // The texts of the journal's listing, in the order of ColumnTitles.
    QStringList Texts() const;
    // "已发送(包号 6)" or "未发送".
    QString SentText() const;
};

// The member's decision journal: a table of the user database that gets one row for
// every decision the member makes, written in the transaction of the decision itself,
// so that the decision and its row are on disk together or not at all. The table is the
// member's own: it is never packed into a result package nor sent to the leader.
//
// Every failure throws EZKError (EZKSqlError from the engine).
class TDecisionJournal
{
public:
    static const QString TableName; // "t_decision_journal"

    explicit TDecisionJournal(TSqlConnection &connection)
        : FConnection(connection)
    {}

    // Creates the table when the database lacks it.
    void EnsureTable();
    // True when the table exists (a database that never saw a decision may lack it).
    bool Exists();

    // Appends an entry (its Number is given here and returned); the caller runs it inside
    // the transaction that writes the decision.
    qint64 Append(TJournalEntry entry);

    // The largest number written so far, 0 for an empty journal.
    qint64 LastNumber();
    // Marks the set's unsent rows numbered up to lastNumber as sent with the package
    // number, at the current time. Returns the rows marked.
    int MarkSent(const QString &pcdm, const QString &kldm, const QString &jhxz, qint64 lastNumber,
                 int packageNumber);

    // The set's rows, newest first; empty when the table does not exist.
    QList<TJournalEntry> Read(const QString &pcdm, const QString &kldm, const QString &jhxz);

    // The column captions of the listing (window, export, zelkinc-cli journal).
    static QStringList ColumnTitles();
    // The field names of the export, one per column of ColumnTitles.
    static QStringList ExportFieldNames();

private:
    TSqlConnection &FConnection;
};
