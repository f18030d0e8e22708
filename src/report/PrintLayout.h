#pragma once

#include "store/Recordset.h"
#include "workspace/WorkspaceItems.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class TMainDM;
class TSqlConnection;

// The print settings of the dossier list: fonts and row height of the first row of
// t_print_tdd, in pixels at 96 dots per inch.
struct TPrintFonts
{
    QString TitleFontName;
    double TitleFontHeight = 24;
    QString TableFontName;
    double TableFontHeight = 14;
    double HeaderHeight = 24;
};

TPrintFonts ReadPrintFonts(TSqlConnection &connection);
void WritePrintFonts(TSqlConnection &connection, const TPrintFonts &fonts);

// The stored place of one field: its print position (-1 hidden) and width (96 dpi).
struct TFieldPlace
{
    QString ZDDH;
    int DYWZ = -1;
    int DYKD = 0;
};
// Stores the places of the fields for the open set, or for every set when allSets.
// Only rows whose values differ are written.
void StoreFieldPlaces(TSqlConnection &connection, const QList<TFieldPlace> &places, bool allSets);

// The title the print layout dialog proposes for the open set.
QString ProposedPrintTitle();

// The smallest print width a column opens with.
inline constexpr int MinPrintWidth = 8;
// A stored print width as the column opens: 8 when it is below 9.
inline int OpeningPrintWidth(int dykd)
{
    return dykd < 9 ? MinPrintWidth : dykd;
}

// The layout the dossier list is printed with: what the print layout dialog shows.
struct TTddPrintLayout
{
    struct Column
    {
        int Field = 0; // the field number (position in TTddPrintFields::ZKColumn)
        QString Caption;
        int Width = 0; // screen pixels
    };
    QString Title;
    QString TitleFontName;
    double TitleFontHeight = 24; // pixels at 96 dots per inch
    QString TableFontName;
    double TableFontHeight = 14; // pixels at 96 dots per inch
    int RowHeight = 24;          // screen pixels
    double ScreenDpi = 96;       // the resolution the pixel values belong to
    QList<Column> Columns;       // the visible columns in shown order
};

// The dossier fields of the open set as the print layout sees them, and the printed
// texts of a candidate. The field list holds every field of T_TDDZDSX laid out for the
// set, in XH order; the dossier query holds every column of the set's t_tdd rows, so
// that fields the grid does not show can be printed.
class TTddPrintFields
{
public:
    explicit TTddPrintFields(TMainDM &dm);
    ~TTddPrintFields();
    TTddPrintFields(const TTddPrintFields &) = delete;
    TTddPrintFields &operator=(const TTddPrintFields &) = delete;

    // Reads the field list of the open set (throws EZKError on database errors).
    void ReadFields();
    int FieldCount() const { return int(ZKColumn.size()); }

    // Opens the dossier query of the open set and binds the column records to it.
    void OpenQuery();
    void CloseQuery();
    bool IsQueryOpen() const { return FQueryOpen; }

    // The printed text of one field of one candidate: the workspace's cell text, with a
    // major column's leading mark replaced by "." (MarkedMajorText). Opens the
    // dossier query when it is closed; a candidate without a row gives empty texts.
    QString GetTddFieldStr(const TKSItem *AKsItem, int ColumnIndex);

    // The stored layout (positions in increasing order, widths as they open) at 96 dpi,
    // as the print layout dialog opens it.
    TTddPrintLayout StoredLayout(const TPrintFonts &fonts, const QString &title) const;

    QList<TZKColumnRec> ZKColumn;
    QStringList Captions; // ZDMC
    QList<int> Positions; // DYWZ as stored (-1 hidden)
    QList<int> Widths;    // DYKD as stored

private:
    int RowOf(const TKSItem *AKsItem) const;

    TMainDM &FDm;
    TRecordset FQuery;
    bool FQueryOpen = false;
    QHash<QString, int> FRowOfKsh;
};

// The printed text of a major column: "." in place of a mark at the start of the text,
// that is the wish-order digit in front of a real current major (`LQZY`) or the "◆" of an
// adjustment text; every other text ("未定", "退档", "预退[…]", major names, a leading
// space) prints as the grid shows it.
QString MarkedMajorText(const TZKColumnRec &column, QString text);
