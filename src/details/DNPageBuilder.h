#pragma once

// The candidate pages: the three page templates ("bmxx", "cjzyxx", "tjxx"), parsed once
// into items, and the page files written from them for one candidate.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>

class TMainDM;
class TKSItem;
class TDNPageBuilder;

// Produces an item's text from its two parameters.
using TGetItemStrFunc = QString (TDNPageBuilder::*)(const QString &StrParam, int IntParam);

// One item of a parsed template.
class TDNHtmlItem
{
public:
    TDNHtmlItem(TGetItemStrFunc GetItemStrFunc_, QString StrParam_, int IntParam_)
        : FGetItemStrFunc(GetItemStrFunc_)
        , FStrParam(std::move(StrParam_))
        , FIntParam(IntParam_)
    {}

    TGetItemStrFunc FGetItemStrFunc;
    QString FStrParam; // literal text, field name or format text, by kind
    int FIntParam;     // code-table index, row number, value-text group or score number
};

namespace DNHtmlFlags {
inline constexpr int NeedsTjxx = 1; // has "<#1" placeholders: the t_tjxx row must exist
inline constexpr int NeedsHkcj = 2; // has "<#2" placeholders: T_KSHKCJ is read first
} // namespace DNHtmlFlags

// A parsed template: its flags and items.
struct TDNHtmlFile
{
    int Flags = 0;
    QList<TDNHtmlItem> Items;
};

// The template names of pages 0..2, and the page shown when there is nothing to show.
inline constexpr int DNTemplateCount = 3;
const QStringList &DNTemplateNames(); // "bmxx", "cjzyxx", "tjxx"
inline const QString NoImagePageName = QStringLiteral("NoImage.htm");

// The error text for a candidate whose number cannot be part of a file name: the window
// shows it instead of the candidate's pages and fetches nothing for the candidate.
QString DNKshRefusalText();

// The value-text groups ("a number in the range gets a blank and the text appended").
enum TDNValueGroup : int
{
    vgYesNo = 0, // 0 否, 1 是
    vgJWBSBZ,    // 0 有, 1 无
    vgEB_XJ,     // 0 迟钝, 1 正常
    vgKQ_SFKC,   // 0 是, 1 否
    vgNormal,    // "<#1Y": 1 正常, 2 其他
    vgYK_SJJCT,  // 1 the colour-vision chart edition, 2 其他
    vgResult,    // "<#1R": 1 合格, 2 专业受限, 3 不合格
    vgNK_FYQK,   // 1 良, 2 中, 3 差
};
// The value followed by " " and its text when it is a number of the group; else unchanged.
QString DNValueText(const QString &value, int group);

// The page generator of the detail window: parses the templates and writes the page file
// of a page for the current candidate. Runs on the interface thread with the workspace's
// connections; the all-wishes table is read under the share lock. Errors throw EZKError.
class TDNPageBuilder
{
public:
    explicit TDNPageBuilder(TMainDM &dm);

    // Reads and parses the three templates of ProgramFolder; a template that cannot be
    // read throws (the code-library reading then fails at its step 8). Also reads the
    // field types of the dossier fields (T_TDDZDSX).
    void Init();
    // Parses a template text into page index's slot (the CLI's own template file).
    void SetTemplate(int pageIndex, const QString &text);
    // Parses a template text.
    TDNHtmlFile ParseTemplate(const QString &text) const;
    // The text of a UTF-16LE file, read whole as stored (a byte-order mark stays). Throws
    // when it cannot be read.
    static QString ReadTemplateFile(const QString &fileName);
    // Reads the field types of the dossier fields (done by Init).
    void ReadFieldTypes();

    // The candidate the pages are for (the item is the workspace's, never null).
    void SetCandidate(const QString &ksh, TKSItem *item);

    // Loads the candidate's row of T_TDD; false when there is none.
    bool OpenDossierRow();
    // A field of the loaded dossier row as the page shows it ("" when absent).
    QString DossierText(const QString &field) const { return Dossier(field); }
    // Writes the page file of page 0..2 for the candidate under HtmlTempPath with a new
    // time-stamped name, which becomes CurHtmlFileName; deletes the previous page file.
    // Returns the new file name. Throws on a candidate number that is not a plain code
    // (DNKshRefusalText; nothing is written), a missing dossier or health row, or any error.
    QString BuildDNPage(int pageIndex);
    // Writes page 0..2 to fileName (which becomes CurHtmlFileName), as BuildDNPage does,
    // without touching any other file.
    void WritePage(int pageIndex, const QString &fileName);
    // The page text of page 0..2 (the rows must be loaded: OpenDossierRow and LoadRows).
    QString PageText(int pageIndex);
    // Loads the rows a page needs (dossier row, health row, proficiency scores); throws
    // the page's errors.
    void LoadRows(int pageIndex);

    // --- state of the window ---
    QString Ksh;
    TKSItem *KsItem = nullptr;
    std::array<QString, 11> HKCJArray; // entries 1..10
    QString HtmlTempPath;              // DownloadFolder + "HtmlTemp/"
    QString CurHtmlFileName;
    QString CurPhotoFileName;
    bool CurPhotoDownloaded = false;
    int PageIndex = 0;
    std::array<TDNHtmlFile, DNTemplateCount> HtmlFileArray;

    // --- the item functions ---
    QString LiteralStr(const QString &StrParam, int IntParam);
    QString ParamStr(const QString &StrParam, int IntParam);
    QString DossierFieldStr(const QString &StrParam, int IntParam);
    QString RemarkBoxStr(const QString &StrParam, int IntParam);
    QString ScoreTableStr(const QString &StrParam, int IntParam);
    QString CodeFieldStr(const QString &StrParam, int IntParam);
    QString StatusStr(const QString &StrParam, int IntParam);
    QString KstzStr(const QString &StrParam, int IntParam);
    QString AdjustedScoreStr(const QString &StrParam, int IntParam);
    QString DecisionStr(const QString &StrParam, int IntParam);
    QString WishesStr(const QString &StrParam, int IntParam);
    QString TjxxStr(const QString &StrParam, int IntParam);
    QString TjxxValueStr(const QString &StrParam, int IntParam);
    QString RestrictedMajorsStr(const QString &StrParam, int IntParam);
    QString ProficiencyStr(const QString &StrParam, int IntParam);
    QString YearProvinceStr(const QString &StrParam, int IntParam);
    QString PhotoCellStr(const QString &StrParam, int IntParam);
    QString ResumeStr(const QString &StrParam, int IntParam);

private:
    struct TFieldType
    {
        QChar Letter;
        QString DMK;
    };

    void ParsePlaceholder(const QString &text, qsizetype &pos, TDNHtmlFile &file) const;
    bool OpenTjxxRow();
    void FillHKCJArray();
    QString Dossier(const QString &field) const;
    QString Tjxx(const QString &field) const;
    QString CodeName(int table, const QString &code) const;
    QString CurrentUnitText() const;
    QStringList WishLines();
    void AppendQBZYKLines(QStringList &lines, bool &found);
    void AppendDossierWishLines(QStringList &lines);
    QString FeatureLine(const QString &zytz) const;
    static QString AdjustmentLine(const QString &zyzytj, const QString &dxtj);

    TMainDM &FDm;
    QHash<QString, QVariant> FDossier; // upper-case field name → value
    QHash<QString, QVariant> FTjxx;
    QHash<QString, TFieldType> FFieldTypes; // upper-case ZDDH
};
