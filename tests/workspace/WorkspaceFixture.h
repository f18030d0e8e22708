#pragma once

#include "store/ZKError.h"
#include "workspace/ChangeLQZT.h"
#include "workspace/MainDM.h"

#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <functional>

// Fakes of the windows the workspace drives: they record what they were told.
class TFakeMainView : public IMainView
{
public:
    void SetFolderButtonCaption(TFolderButton b, const QString &text) override { Buttons[b] = text; }
    void SetFolderMenu(TFolderMenu m, const QList<TMenuItemRec> &items) override { Menus[m] = items; }
    void SetStatusPanelText(int panel, const QString &text) override { Panels[panel] = text; }
    void SetClientAreaVisible(bool visible) override { ClientVisible = visible; }
    void HideHintPanel() override { ++HintHides; }
    void ShowKsFilterText(const QString &text) override { FilterTexts.append(text); }
    int ScreenDotsPerInch() const override { return Dpi; }
    int ScreenWidthPixels() const override { return Width; }

    // The captions of a menu.
    QStringList MenuCaptions(TFolderMenu m) const;

    QMap<TFolderButton, QString> Buttons;
    QMap<TFolderMenu, QList<TMenuItemRec>> Menus;
    QMap<int, QString> Panels;
    bool ClientVisible = false;
    int HintHides = 0;
    QStringList FilterTexts; // filter texts the workspace set itself
    int Dpi = 96;
    int Width = 1280;
};

class TFakeZyStatePanel : public IZyStatePanel
{
public:
    void ShowPanel() override { ++Shows; }
    void ClearAndHide() override { ++Hides; }
    void ClearLists() override { ++Clears; }
    void UpdateAllItems() override { ++UpdateAlls; }
    void UpdateAZyItem(int JhIndex) override { Updated.append(JhIndex); }
    bool IsReportView() const override { return Report; }

    int Shows = 0, Hides = 0, Clears = 0, UpdateAlls = 0;
    QList<int> Updated;
    bool Report = false;
};

struct TFakeMessage
{
    QString Text;
    QString Caption;
    TMsgIcon Icon;
};

class TFakeMessageSink : public IMessageSink
{
public:
    TMsgResult ShowMessage(const QString &text, const QString &caption, TMsgIcon icon, TMsgButtons) override
    {
        Messages.append({text, caption, icon});
        return TMsgResult::Ok;
    }
    QList<TFakeMessage> Messages;
};

class TFakeClipboard : public IClipboard
{
public:
    void SetText(const QString &text) override
    {
        Text = text;
        ++Count;
    }
    QString Text;
    int Count = 0;
};

class TFakeDocumentOpener : public IDocumentOpener
{
public:
    void OpenDocument(const QString &path) override { Opened.append(path); }
    QStringList Opened;
};

class TFakeDetailWindow : public IDetailWindowHooks
{
public:
    void SetDocumentCaptions(const QString &bmb, const QString &tjb, const QString &fjb) override
    {
        Captions = {bmb, tjb, fjb};
    }
    void InitDetailWindow() override
    {
        ++Inits;
        if (!FailInit.isEmpty())
            throw EZKError(FailInit);
    }
    void HideDetailWindow() override { ++Hides; }

    QStringList Captions;
    int Inits = 0;
    int Hides = 0;
    QString FailInit;
};

// The status dialog: remembers what it was shown and answers as told; a hook runs while
// it is "open" (a download that reloads the set, for example).
class TFakeChangeLQZTDialog : public IChangeLQZTDialog
{
public:
    TChangeLQZTAnswer Show(const TChangeLQZTValues &values) override
    {
        Shown.append(values);
        if (WhileOpen)
            WhileOpen();
        return Answer;
    }
    QList<TChangeLQZTValues> Shown;
    TChangeLQZTAnswer Answer;
    std::function<void()> WhileOpen;
};

// A candidate row of T_TDD; the defaults are an undecided candidate of unit 001.
struct TFixtureCandidate
{
    QString KSH;
    QString XM = QStringLiteral("考生");
    QString TDDW = QStringLiteral("001");
    QString DQTDDW; // empty: TDDW
    QString KSZT = QStringLiteral("0");
    QString LQZY = QStringLiteral(" ?");
    QString YTZY = QStringLiteral(" ?");
    QVariant ZYYTJZCJ = 600.0;
    QVariant ZYYTFJCJ;
    QString ZYHG = QStringLiteral("1");
    QString TJHG = QStringLiteral("1");
    QString TDZY = QStringLiteral("1");
    QString ZYZYTJ = QStringLiteral("1");
    QString TDYYDM = QStringLiteral("  ");
    QString BZ;
    QStringList ZYDH;   // wish majors 1..6 (missing ones "  ")
    QStringList TDDWDM; // their units (missing ones: TDDW)
    QStringList ZYSXDM; // missing ones "  "
    QString TJJLDM = QStringLiteral("1");
    QString SDBZ = QStringLiteral("0");
    double BH = 1;
    QString ZYTJFC;
    QString XBDM = QStringLiteral("1");
    QMap<QString, QVariant> Extra; // further columns of T_TDD
};

// A user folder with a user database and a shared database built from SQL, the program
// values of a logged-in member ("member1" of province "TS"), and a workspace wired to
// fakes. The set 1/1/1 has the units 001 (template "T1", plain) and 002 (no template)
// and the majors:
//   JhId 0 "01" unit 001, member1, 2 places, class 1
//   JhId 1 "02" unit 001, member1, 1 place, class 2
//   JhId 2 "03" unit 002, member1, 1 place, class 5
//   JhId 3 "04" unit 001, member "other"
//   JhId 4 "05" unit 009 (not in the set), member1
// so JhRecCount is 5; the pseudo-majors are 5 (returned) and 6 (undecided). The grid
// layout has one column of every letter (DefaultColumns).
class TWorkspaceFixture
{
public:
    explicit TWorkspaceFixture(bool graded = false);
    ~TWorkspaceFixture();

    TMainDM &Dm() { return FDm; }
    TSqlConnection &Univ() { return FDm.UnivConn; }
    QString UserFolder() const { return FUserFolder; }
    QString StorageFolder() const { return FStorage; }

    // Statements on the user database (Jet dialect).
    void Exec(const QStringList &statements);
    QStringList Rows(const QString &sql);
    QVariant Scalar(const QString &sql);
    // Statements on the shared database.
    void ExecShare(const QStringList &statements);
    QStringList ShareRows(const QString &sql);

    void AddCandidate(const TFixtureCandidate &c, const QString &pcdm = QStringLiteral("1"),
                      const QString &kldm = QStringLiteral("1"), const QString &jhxz = QStringLiteral("1"));
    // A grid column of set 1/1/1 at the next position.
    void AddColumn(const QString &zddh, const QString &zdmc, const QString &dmk, const QString &zdlx,
                   int kd = 50);
    // The field names of the default layout, in grid order.
    static QStringList DefaultColumns();
    // Replaces the layout of set 1/1/1 with these columns (zddh, zdmc, dmk, zdlx).
    void SetColumns(const QList<QStringList> &columns);

    // ReadDMTable (which must succeed) and the opening of the remembered set (1/1/1).
    void Open();

    TKSItem *Ks(const QString &ksh);
    QString Cell(const QString &ksh, const QString &column);
    // The candidate numbers of the shown list, and of a major's list.
    QStringList Shown() const;
    QStringList InMajor(int JhId) const;
    // Selects the rows of these candidates in the grid (focus on the first).
    void Select(const QStringList &kshs);

    TFakeMainView View;
    TFakeZyStatePanel Panel;
    TMemoryGrid Grid;
    TFakeMessageSink Messages;
    TFakeClipboard Clipboard;
    TFakeDocumentOpener Opener;
    TFakeDetailWindow Detail;

private:
    void CreateTables(bool graded);
    void FillCodeTables(bool graded);
    void FillPlan();

    QTemporaryDir FDir;
    QString FStorage;
    QString FUserFolder;
    TMainDM FDm;
    TSqlConnection FShare;
    int FColumnPosition = 0;
};
