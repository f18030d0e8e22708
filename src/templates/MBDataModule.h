#pragma once

#include "templates/TddwCSMB.h"
#include "templates/ZyCSMB.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TRecordset;

class TSqlConnection;

// The check templates of the open batch, category and plan nature (ZKMainDef's CurPCDM,
// CurKLDM, CurJHXZ), read from the user database: one TTDDWCSMB per template number that
// a submission unit of the set names, one TZYCSMB per number a major of the plan names.
//
// Each object list owns its templates and corresponds position for position to its
// sorted lookup list of template numbers (duplicates accepted); a number without a
// template row has no object (nullptr) at its position. Lookups ignore letter case.
// Errors while loading are thrown as EZKError; the tables are closed on every path.
class TMBDataModule
{
public:
    explicit TMBDataModule(TSqlConnection *conn = nullptr)
        : FConn(conn)
    {}
    TMBDataModule(const TMBDataModule &) = delete;
    TMBDataModule &operator=(const TMBDataModule &) = delete;

    void SetConnection(TSqlConnection *conn) { FConn = conn; }

    // The workspace's grade codes: the number of codes of its grade code list
    // (RankCodeList) and its maskable grade codes, each with its position in that list.
    // Major templates read in graded-score mode get one mask flag per grade code.
    void SetRankCodes(int rankCodeCount, const QHash<QString, int> &maskableRankPositions);

    void InitTddwCSMB();
    // A new unit template for the number from the rows of T_TDDWCSMB, or nullptr when
    // the table has no such row.
    std::unique_ptr<TTDDWCSMB> ReadTddwCSMB(TRecordset &table, const QString &MBH) const;
    TTDDWCSMB *GetTddwCSMB(const QString &MBH) const;

    void InitZYCSMB();
    std::unique_ptr<TZYCSMB> ReadZYCSMB(TRecordset &table, const QString &MBH) const;
    TZYCSMB *GetZYCSMB(const QString &MBH) const;

    // Frees every template (a set is closed).
    void Clear();

    const QStringList &TDDWCSMBLookupList() const { return FTddwLookup; }
    const QStringList &ZYCSMBLookupList() const { return FZyLookup; }
    const std::vector<std::unique_ptr<TTDDWCSMB>> &TDDWCSMBList() const { return FTddwList; }
    const std::vector<std::unique_ptr<TZYCSMB>> &ZYCSMBList() const { return FZyList; }

private:
    TSqlConnection &Conn() const;
    QStringList TemplateNumbers(const QStringList &sql) const;

    TSqlConnection *FConn = nullptr;
    int FRankCodeCount = 0;
    QHash<QString, int> FMaskableRankPositions; // case-folded code → position in RankCodeList
    QStringList FTddwLookup;
    std::vector<std::unique_ptr<TTDDWCSMB>> FTddwList;
    QStringList FZyLookup;
    std::vector<std::unique_ptr<TZYCSMB>> FZyList;
};
