#include "gui/main/MemberCommands.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

const QList<TMemberCommandDef> &MemberCommands()
{
    using C = TMemberCommand;
    static const QList<TMemberCommandDef> commands = {
        {C::Login,
         u"LoginAction"_s,
         u"连接网络(&C)..."_s,
         {},
         u"连接网络|连接到招生办公室的远程服务器上。"_s,
         12010},
        {C::Logout,
         u"LogoutAction"_s,
         u"断开连接(&D)"_s,
         {},
         u"断开连接|断开与招生办公室远程服务器的连接。"_s,
         12020},
        {C::LinkToZB,
         u"LinkToZBAction"_s,
         u"高校招生信息发布主页"_s,
         {},
         u"高校招生信息发布主页|连接到高校招生信息发布主页。"_s,
         11010},
        {C::ExitAndLogin,
         u"ExitAndLoginAction"_s,
         u"重新登录"_s,
         {},
         u"重新登录|退出并重新选择省区市和用户名登录。"_s,
         11020},
        {C::Exit, u"ExitAction"_s, u"退出(&X)"_s, {}, u"退出|退出本系统。"_s, 11030},
        {C::SelectPC, u"SelectPCAction"_s, u"选择批次..."_s, {}, u"选择批次|选择要切换到哪一批次。"_s, 11110},
        {C::SelectKL_JHXZ,
         u"SelectKL_JHXZAction"_s,
         u"选择科类、计划性质..."_s,
         {},
         u"选择科类、计划性质|选择将要查看和处理的科类、计划性质组合。"_s,
         11150},
        {C::ViewTDDW,
         u"ViewTDDWAction"_s,
         u"选择要查看的投档单位..."_s,
         {},
         u"选择要查看的投档单位|选择要查看、处理的投档单位。"_s,
         11370},
        {C::ViewZY,
         u"ViewZYAction"_s,
         u"选择要查看的专业..."_s,
         {},
         u"选择要查看的专业|选择要查看、处理的专业。"_s,
         11380},
        {C::DumpToFile,
         u"DumpToFileAction"_s,
         u"导出投档单(&S)..."_s,
         {},
         u"导出投档单|将当前科类投档单导出到文件。"_s,
         11120},
        {C::DumpTextToFile,
         u"DumpTextToFileAction"_s,
         u"导出屏幕显示的投档单信息..."_s,
         {},
         u"导出屏幕显示的投档单信息|将屏幕显示的投档单信息导出到文件。"_s,
         11130},
        {C::PrintTDD, u"PrintTDDAction"_s, u"打印投档单..."_s, QKeySequence(u"Ctrl+P"_s),
         u"打印投档单|打印当前显示的考生投档单信息。"_s, 11140},
        {C::FindKS, u"FindKSAction"_s, u"查找考生(&F)..."_s, QKeySequence(u"Ctrl+F"_s),
         u"查找考生|输入考生号在投档单中定位考生。"_s, 11210},
        {C::CopyKshToClipboard, u"CopyKshToClipboardAction"_s, u"复制选中考生的考生号"_s,
         QKeySequence(u"Ctrl+C"_s), u"复制选中考生的考生号|将当前选中的考生的考生号复制到剪贴板上。"_s,
         11220},
        {C::FilterKS, u"FilterKSAction"_s, u"筛选考生"_s, QKeySequence(u"Ctrl+Shift+F"_s),
         u"筛选考生|按姓名、考生号、中学等筛选主界面显示的考生。"_s, 11230},
        {C::ZyState,
         u"ZyStateAction"_s,
         u"专业信息(&D)"_s,
         {},
         u"专业信息|显示/隐藏当前科类的专业信息窗口。"_s,
         11310},
        {C::KSXX, u"KSXXAction"_s, u"考生详细信息"_s, QKeySequence(u"Ctrl+I"_s),
         u"考生详细信息|查看当前考生的详细信息。"_s, 11320},
        {C::SortByKSH,
         u"SortByKSHAction"_s,
         u"以考生号排序(&I)"_s,
         {},
         u"以考生号排序|将主界面显示的考生以考生号排序。"_s,
         11330},
        {C::SortByCj,
         u"SortByCjAction"_s,
         u"以基准成绩排序(&S)"_s,
         {},
         u"以基准成绩排序|将主界面显示的考生以基准成绩排序。"_s,
         11340},
        {C::SortByLQZY,
         u"SortByLQZYAction"_s,
         u"以录取专业排序(&D)"_s,
         {},
         u"以录取专业排序|将主界面显示的考生以录取专业排序。"_s,
         11350},
        {C::Stat, u"StatAction"_s, u"统计信息..."_s, {}, u"统计与打印|启动统计与打印工具包。"_s, 11360},
        {C::ShowCodeTable,
         u"ShowCodeTableAction"_s,
         u"代码表页面"_s,
         {},
         u"代码表页面|查看当前录取使用的代码表页面。"_s,
         11390},
        {C::HelpContent,
         u"HelpContentAction"_s,
         u"目录和索引(&C)"_s,
         {},
         u"目录和索引|显示帮助的目录和索引。"_s,
         0},
        {C::About,
         u"AboutAction"_s,
         u"关于本软件(&A)..."_s,
         {},
         u"关于本程序|显示关于本程序的信息。"_s,
         11410},
        {C::DownLoadTDD,
         u"DownLoadTDDAction"_s,
         u"接收考生投档单(&D)"_s,
         {},
         u"接收投档单|从组长的服务器上接收您负责的所有专业的考生的投档单。"_s,
         14030},
        {C::UpLoadJG,
         u"UpLoadJGAction"_s,
         u"发送调剂意见(&U)"_s,
         {},
         u"发送调剂意见|发送您对当前批次、科类、计划性质的考生的调剂意见。"_s,
         14040},
        {C::Options, u"OptionsAction"_s, u"选项(&O)"_s, {}, u"选项|设定本系统的选项。"_s, 14310},
        {C::ChangeLQZT, u"ChangeLQZTAction"_s, u"修改预录取状态..."_s, QKeySequence(u"Ctrl+H"_s),
         u"修改预录取状态|修改所选择考生的预录取状态。"_s, 14210},
        {C::Journal,
         u"JournalAction"_s,
         u"决定记录..."_s,
         {},
         u"决定记录|查看当前投档单的预录取、预退档记录以及是否已发送。"_s,
         11395},
    };
    return commands;
}

const TMemberCommandDef &MemberCommandDef(TMemberCommand id)
{
    // The table lists the commands in the order of the enumeration.
    return MemberCommands().at(int(id));
}

bool CommandEnabled(TMemberCommand id, const TCommandState &s)
{
    using C = TMemberCommand;
    const bool linkFree = s.IsConnected && s.IsNetIdle;
    switch (id) {
    case C::Login:
        return !s.IsConnected && s.IsNetIdle && s.HasReconnect;
    case C::Logout:
        return linkFree;
    case C::LinkToZB:
    case C::ExitAndLogin:
    case C::Exit:
    case C::SelectPC:
    case C::SelectKL_JHXZ:
    case C::ViewTDDW:
    case C::ViewZY:
    case C::HelpContent:
    case C::About:
        return true;
    case C::DumpToFile:
        return s.IsSystemReady && s.FgLongTaskIdle && s.HasExport;
    case C::DumpTextToFile:
        return s.IsTDDOpen && s.HasExport;
    case C::PrintTDD:
        return s.IsTDDOpen && s.HasPrinting;
    case C::FindKS:
    case C::CopyKshToClipboard:
    case C::FilterKS:
    case C::ZyState:
    case C::SortByKSH:
    case C::SortByCj:
    case C::SortByLQZY:
        return s.IsTDDOpen;
    case C::KSXX:
        return s.IsTDDOpen && s.HasFocusedRow && s.HasDetailWindow;
    case C::Stat:
        return s.IsTDDOpen && s.HasStatistics;
    case C::ShowCodeTable:
        return s.IsSystemReady;
    case C::DownLoadTDD:
        return linkFree && s.IsSystemReady && s.HasNetModule;
    case C::UpLoadJG:
        return linkFree && s.IsTDDOpen && s.CurZT == 1 && s.HasNetModule;
    case C::Options:
        return s.IsTDDOpen && s.HasOptions;
    case C::ChangeLQZT:
        return s.IsTDDOpen && s.HasSelectedRows;
    case C::Journal:
        return s.IsTDDOpen && s.HasJournal;
    }
    return false;
}

QString PlainCaption(const QString &caption)
{
    static const QRegularExpression accelerator(u"\\(&.\\)|&|\\.\\.\\.$"_s);
    QString plain = caption;
    return plain.remove(accelerator);
}
