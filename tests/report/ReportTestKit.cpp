#include "ReportTestKit.h"

#include "TestSupport.h"
#include "WorkspaceFixture.h"
#include "store/ZKMainDef.h"

#include <QProcess>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace reporttest {

namespace {

QString Run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

QString PdfText(const QString &pdf)
{
    return Run(u"pdftotext"_s, {u"-layout"_s, u"-enc"_s, u"UTF-8"_s, pdf, u"-"_s});
}

int PdfPages(const QString &pdf)
{
    const QRegularExpressionMatch m =
        QRegularExpression(u"Pages:\\s+(\\d+)"_s).match(Run(u"pdfinfo"_s, {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

void UseBuiltProgramFolder()
{
    ZKMainDef().SetProgramFolder(zktest::programFolder());
}

void SetPrintPlaces(TWorkspaceFixture &f, const QList<std::tuple<QString, int, int>> &places)
{
    f.Exec({u"update T_TDDZDXHKD set DYWZ = -1, DYKD = 60"_s});
    const QStringList order = f.Rows(u"select ZDDH from T_TDDZDXHKD order by WZSY"_s);
    for (int i = 0; i < order.size(); ++i)
        f.Exec({u"update T_TDDZDSX set XH = \"%1\" where ZDDH = \"%2\""_s.arg(i + 100).arg(order[i])});
    for (const auto &[zddh, dywz, dykd] : places)
        f.Exec({u"update T_TDDZDXHKD set DYWZ = %1, DYKD = %2 where ZDDH = \"%3\""_s.arg(dywz).arg(dykd).arg(
            zddh)});
}

} // namespace reporttest
