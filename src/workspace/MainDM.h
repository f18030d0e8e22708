#pragma once

#include "store/NamedLock.h"
#include "store/Recordset.h"
#include "store/SqlConnection.h"
#include "store/UiSinks.h"
#include "templates/MBDataModule.h"
#include "workspace/CandidateFilter.h"
#include "workspace/CandidateOrder.h"
#include "workspace/DmTables.h"
#include "workspace/WorkspaceItems.h"
#include "workspace/WorkspaceViews.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

class TSqlQuery;

// A section of the code table page: what it lists and how.
struct TCodeTableColumn
{
    QString Field;
    QString Heading;
    int Width = 0; // percent of one copy; positive centred, negative left-aligned
};

namespace ZKCodeTableFlags {
inline constexpr int SqlSource = 1; // the source is a statement, not a table name
inline constexpr int NoHeading = 2; // no heading row
inline constexpr int NoSpacer = 4;  // no empty paragraph before the table
} // namespace ZKCodeTableFlags

// A member's decision on candidates.
struct TLQZTDecision
{
    bool PreAdmit = true; // pre-admit to the proposed major; false: pre-return
    QString TDYYDM;       // pre-return: the reason's code
    QString TDYYBZ;       // pre-return: the remark
};

// The workspace: the code tables and parameters of the user's data, and, while a
// dossier set (batch, category, plan nature) is open, its submission units, majors and
// candidates with the grid's columns, filters, selection and order.
//
// Everything runs on the interface thread. Windows are reached through the view
// interfaces (WorkspaceViews.h) and the message sink; operations that the program's top
// level starts report their failures there themselves (with their step number) and
// return; the lookups never fail. The program-wide values (ZKMainDef) hold the login,
// the institution values and the open set's codes and filters.
//
// The members are the data module's published state: other layers read them and
// change the workspace only through the operations.
class TMainDM
{
public:
    TMainDM();
    ~TMainDM();
    TMainDM(const TMainDM &) = delete;
    TMainDM &operator=(const TMainDM &) = delete;

    // --- windows (null restores the harmless default) ---
    void SetMessageSink(IMessageSink *sink);
    void SetMainView(IMainView *view);
    void SetZyStatePanel(IZyStatePanel *panel);
    void SetGrid(ILQGrid *grid);
    void SetClipboard(IClipboard *clipboard);
    void SetDocumentOpener(IDocumentOpener *opener);
    void SetDetailWindow(IDetailWindowHooks *hooks);
    IMessageSink &MessageSink() const { return *FMessageSink; }
    IMainView &MainView() const { return *FMainView; }
    IZyStatePanel &ZyStatePanel() const { return *FZyStatePanel; }
    ILQGrid &Grid() const { return *FGrid; }

    // --- connections ---
    // CommonConn: the machine's common database (pointed at its file, not opened here).
    // UnivConn: the user database, open while the workspace runs.
    // UnivShareConn: the user's shared database, opened only around each use, under the
    // province's share lock (ShareUse).
    TSqlConnection CommonConn;
    TSqlConnection UnivConn;
    TSqlConnection UnivShareConn;

    // --- code tables and parameters ---
    void ReadCommonParams();
    // 0 when everything was read; 1 after a reported failure.
    int ReadDMTable();
    // The categories and plan natures of CurPCDM, and their menu.
    void ReadKL_JHXZ();
    void SaveZyStateReportMode();

    int GetDMTableIndex(const QString &DmTableName) const;
    int GetDMId(int DMTableIndex, const QString &Dm) const;
    QString GetDMMC(int DMTableIndex, int DmId) const;
    QString GetDMMC(int DMTableIndex, const QString &Dm) const;
    QString GetRankDesc(int RankId, int RankValue) const;
    QString GetRankSetDesc(int RankId, const QString &RankSetValue) const;
    QString GetRankPermName(const QString &RankPermCode) const;
    QString GetRankPermDesc(const QString &RankPermCode, const QString &RankPermValue) const;
    int GetCurrentTDDWId(const QString &TDDWDM) const;
    int GetZyId(int ATddw, const QString &AZYDH) const;
    int GetKsId(const QString &AKsh) const;
    // The position of a grade-type code in RankCodeList, -1 when absent.
    int RankCodeIndex(const QString &code) const;

    // --- opening and navigating a set ---
    void ChangeCurrTDDPc(const QString &DefaultPcDm);
    void ChangeCurrTDDKlJhxz(const QString &AKlDM, const QString &AJhXz);
    // 0 when the set opened; 1 after a reported failure (nothing open then).
    int OpenTDD();
    void CloseTDD();
    void ReadCurrentZT();
    void SetZTLabel();
    void SetCurrentJhList();
    void SetCurrentKsList(bool SelectFirstKs);
    void SetSelectedKsList(bool SortByKsh);
    void SetSelectedListItem();
    void SetFocusedKs(TKSItem *KsItem);
    void MakeKSVisible(const QString &Ksh);
    void CopyKshToClipboard();
    void UpdateYLS();
    // Positions LQGridQuery on the candidate's row.
    void LQGridTableGotoKs(const TKSItem *AKsItem);

    // Menu choices, with the chosen item's caption or tag.
    void PCMenuItemClick(const QString &caption);
    void KL_JHXZMenuItemClick(int tag);
    void TDDWMenuItemClick(int tag);
    void ZYMenuItemClick(int tag);
    // Narrows the candidate list to a major (JhId, -1 for all) when it is another one,
    // and focuses the first candidate (the major menu and the major state panel).
    void ChangeZyFilter(int JhId);

    // The grid's live filter: narrows the shown list (after the unit and major narrowing)
    // to the candidates in whom every blank-separated term of the text occurs in a shown
    // cell, ignoring case and full-width and half-width forms; an empty text shows them
    // all. The selected candidates that stay shown stay selected and the focused one
    // focused; when it is hidden the first shown candidate is focused. Status panel 1
    // shows "考生数" + shown + "/" + all while the filter narrows. Kept while no set is
    // open; it narrows the next set opened.
    void SetKsFilterText(const QString &text);
    QString KsFilterText() const { return FKsFilter.Text(); }
    bool IsKsFilterActive() const { return FKsFilter.IsActive(); }
    // A candidate's shown cell texts (the row number aside) as the filter compares them.
    QString KsFilterCells(const TKSItem *k) const;
    // Makes the filter's texts of every candidate of the set that lacks them, so that
    // the first keystroke does not wait for them.
    void PrepareKsFilter();

    // Raised whenever a set is closed; the status dialog clears it before it shows.
    bool ReloadSignal = false;

    // --- order and texts ---
    void SortKS(int AColIndex);
    QString GetTddFieldStr(const TKSItem *AKsItem, const TZKColumnRec &PZKColumn) const;
    // The accepted-major-class text of a candidate for a column.
    QString AdjustmentText(const TKSItem *AKsItem, const TZKColumnRec &PZKColumn) const;
    // The column whose field code is the name (ignoring case), -1 when none.
    int ColumnIndexOf(const QString &name) const;
    // The texts read the candidate's row of LQGridQuery; a print reads every field of its
    // own dossier query instead: while a source is set, they read its stored row (null
    // restores LQGridQuery).
    void SetTextSource(const TRecordset *source, int storedRow);
    // Fills a column record from a field-attribute row (zddh, zdmc, dmk, zdlx).
    void FillZKColumnRec(TZKColumnRec &column, const TSqlQuery &ColumnDataSet) const;

    // --- decisions ---
    // Writes the decision for the candidates in candidate-number order (those without a
    // T_TDD row are skipped) and moves them between the major lists, updating the majors'
    // figures and the count. Returns the candidates decided. When the database refuses a
    // row, the candidates before it keep their decision (in the database and here), the
    // others are left as they were, and the error is thrown afterwards.
    QList<TKSItem *> ApplyLQZT(const QList<TKSItem *> &candidates, const TLQZTDecision &decision);
    void LQGridTableSetTDYY(const TKSItem *AKsItem, const QString &TDYYDM, const QString &TDYYBZ);
    void UpdateJhItem(int ZyId);
    void RefreshKS(int KsIndex);

    // --- code table page ---
    // Writes UserFolder + "codetable.htm" and opens it.
    void ShowCodeTableHtml();
    // The page width: 960 for screens at least 1024 pixels wide at 96 dots per inch.
    int CodeTablePageWidth() const;
    // Writes the page for a year and width; throws EZKError (the partly written file stays).
    void WriteCodeTablePage(const QString &fileName, int year, int pageWidth);
    // The text of one section: a bordered table listing the source (a table name, or a
    // statement with ZKCodeTableFlags::SqlSource) in as many copies side by side as fit
    // the page (page width div group width, at least 1), entries running down each copy.
    // Field texts are HTML-escaped; the title is HTML as it stands. An error names the
    // source in front of its text.
    QString WriteCodeTableSection(const QString &source, int groupWidth,
                                  const QList<TCodeTableColumn> &columns, int flags, const QString &title,
                                  int pageWidth);
    // The opening tag of every section's table.
    static QString CodeTableHead(int pageWidth);

    // --- state (read-only outside the operations) ---
    TMBDataModule MB;
    TCandidateOrder Order;

    QString RankPermCodeStr;
    QString MaskableRankCodeStr;
    bool ZyStateReportOnStart = false; // zy_state_report of the institution state is "1"

    int SortColIndex = 0;
    int SortColTag = 0;
    int JhRecCount = 0;
    int KsNum = 0;
    QList<TZKColumnRec> ZKColumn;
    int ColumnNum = 0;
    std::vector<std::unique_ptr<TCurrentTDDWItem>> CurrentTDDWTable;
    std::vector<std::unique_ptr<TJHItem>> JhTable;
    std::vector<std::unique_ptr<TKSItem>> KsTable;
    std::array<QList<TDMRec>, DMTableCount> DMTables;
    QStringList KsItemStrValues;
    QList<double> KsItemDblValues;
    int TDYYDMField = -1; // columns of LQGridQuery, -1 when absent
    int TDYYBZField = -1;
    int LQFSField = -1;
    int ZDTDZY = 0; // read with the state; nothing decides on it
    int TotalJhs = 0;

    QStringList RankCodeList;            // sorted grade-type codes
    QList<int> RankCodeCJXSM;            // the CJXSM number of each code
    QStringList RankNameList;            // same positions
    QStringList MaskableRankCodeList;    // sorted
    QList<int> MaskableRankCodePosition; // each code's position in RankCodeList
    QList<int> CourseRankIdArray;        // per row of code table 1
    QList<QStringList> RankDescArray;    // per grade type: grade number → text
    QStringList RankPermCodeList;
    QStringList RankPermNameList;
    QStringList ZyLbMcList;
    QList<TKL_JHXZRec> KL_JHXZTable;

    QList<TJHItem *> CurrentJhList;
    QList<TKSItem *> CurrentKSList;
    QList<TKSItem *> SelectedKsList;
    TKSItem *FocusedKsItem = nullptr;

    // The detached candidate query of the open set.
    TRecordset LQGridQuery;

    // The text of a column of LQGridQuery for a candidate ("" for -1 or NULL).
    QString QueryText(const TKSItem *k, int column) const;
    const TDbValue &QueryValue(const TKSItem *k, int column) const;
    // The number of major classes (ZyLbMcList count − 1).
    int ZyLbCount() const { return int(ZyLbMcList.size()) - 1; }
    TJHItem *Jh(int JhId) const { return JhTable.at(size_t(JhId)).get(); }

    // Takes the province's share lock and opens UnivShareConn; both are given back when
    // the object goes out of scope, also after an error.
    class ShareUse
    {
    public:
        explicit ShareUse(TMainDM &dm);
        ~ShareUse();
        ShareUse(const ShareUse &) = delete;
        ShareUse &operator=(const ShareUse &) = delete;

    private:
        TMainDM &FDm;
        TNamedLock FLock;
    };

private:
    void ReadDMTableSteps(int &step);
    void ReadInstitutionState();
    void ReadCodeTables();
    void ReadZyLbMc();
    void FillBatchMenu();
    void ReadRankCodes();
    void ReadRankDescs();
    void ReadCourseRanks();
    void RememberCurrentSet();

    void FreeSet();
    void OpenTDDSteps(int &step);
    void ReadUnits();
    void ReadMajors();
    void ReadMajorCourses(TJHItem &jh, const QString &yxxckm, const QString &jzxckm) const;
    void ReadColumnsAndQuery();
    QStringList ColumnRows(QList<TZKColumnRec> &columns, QStringList fields);
    QStringList FieldsOfTDDTable(const QStringList &requiredFields, const QStringList &fields);
    void SetZKColumnMainField();
    void ReadCandidates();
    void RankCandidateNumbers();
    void SaveColumnWidths();
    void ShowSetOpened();
    void NarrowCurrentKsList();
    void ForgetStaleKsFilterTexts();
    void ShowKsCount();
    QString MajorMenuCaption(const TJHItem &jh) const;
    QString GradeTypeTitle(int rankId) const;
    QString CodesText(const QString &t, int table, bool showCodes) const;
    QString MajorText(const TKSItem *k, const TZKColumnRec &col) const;
    QString AllMajorsCaption() const;

    IMessageSink *FMessageSink;
    IMainView *FMainView;
    IZyStatePanel *FZyStatePanel;
    ILQGrid *FGrid;
    IClipboard *FClipboard;
    IDocumentOpener *FDocumentOpener;
    IDetailWindowHooks *FDetailWindow;
    std::unique_ptr<IMessageSink> FDefaultMessageSink;
    std::unique_ptr<TMemoryGrid> FDefaultGrid;

    QHash<QString, int> FDmTableNameLookup;                  // case-folded name → number
    std::array<QHash<QString, int>, DMTableCount> FDmLookup; // code → row (first wins)
    QHash<QString, int> FCurrentTDDWLookup;                  // unit code → index
    QList<QHash<QString, int>> FJhLookups;                   // per unit: ZYDH → JhId
    QHash<QString, int> FKshLookup;                          // case-folded KSH → KsId
    const TRecordset *FTextSource = nullptr;
    int FTextSourceRow = -1;

    TCandidateFilter FKsFilter;
    QList<TKSItem *> FKsFilterBase; // while the filter narrows: the list it narrows
    bool FKsFilterShowCodes = false; // ShowCodes of the filter's kept texts
};
