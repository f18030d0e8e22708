#pragma once

#include "report/ReportConnection.h"
#include "report/ReportDefinition.h"
#include "report/ReportOutput.h"

#include <QList>
#include <QString>
#include <memory>

class TMainDM;
class TTddPrintFields;
struct TTddPrintLayout;

// The report printing module: created for one print and destroyed after it. It opens
// the report project (the program folder's "ZelkinC.rav") when created, sets the
// parameters of a report, feeds its data connections and hands the laid-out report to
// the output (the window layer's TReportDialogOutput of gui/stats/ReportDialogs.h, or a
// PDF file).
//
// The statistics window prints with:
//     TReportDialogOutput output(this);
//     TPrintDM(dm, output).ExecuteStat(TDDWStr);
// after it filled the work tables bmxx, cjxx and zyxx of dm.UnivConn.
//
// Errors (a missing or damaged project file, database errors) are thrown as EZKError
// and reach the caller's general error display.
class TPrintDM
{
public:
    TPrintDM(TMainDM &dm, IReportOutput &output);
    ~TPrintDM();
    TPrintDM(const TPrintDM &) = delete;
    TPrintDM &operator=(const TPrintDM &) = delete;

    // Prints "TDDReport": the candidates of the current list, in its order, with the
    // layout of the print layout dialog; fields gives the printed texts. False when the
    // user cancelled the output.
    bool ExecuteTDD(const TTddPrintLayout &layout, TTddPrintFields &fields);
    // Prints "StatReport" from the work tables; TDDWStr is the submission-unit text
    // chosen in the statistics window. False when the user cancelled the output.
    bool ExecuteStat(const QString &TDDWStr);

    // The rows of TDDConn: the candidates of the current candidate list.
    void TDDConnOpen();
    void TDDConnFirst();
    void TDDConnNext();
    bool TDDConnEOF() const;
    void TDDConnGetRow();
    void TDDConnRestore();

    int KSIndex = 0;
    // The data band's texts, one per printed column in printed order.
    QList<TReportItem *> LabelArray;

    // The parameter values shared by both reports.
    static QString PrintDateText();
    QString SetText(int dmTable, const QString &code) const;
    QString TDDWText() const;
    QString ZYText() const;

    TReportProject &Project() { return FProject; }

private:
    void SetCommonParams(TReportDef &report);
    void BuildTDDColumns(TReportDef &report, const TTddPrintLayout &layout);
    bool RunReport(TReportDef &report);

    TMainDM &FDm;
    IReportOutput &FOutput;
    TReportProject FProject;
    // While ExecuteTDD runs: the running page and the texts' sources.
    TReportPage *FTddPage = nullptr;
    TTddPrintFields *FFields = nullptr;
    QList<int> FLabelFields;
};
