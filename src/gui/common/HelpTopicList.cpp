#include "gui/common/HelpTopicList.h"

#include "store/ZKMainDef.h"

using namespace Qt::StringLiterals;

const QList<THelpTopicRec> &HelpTopicList()
{
    static const QList<THelpTopicRec> topics = {
        {ZKHelp::Contents, u"index.html"_s, u"目录和索引"_s},
        {ZKHelp::MainWindow, u"main.html"_s, u"院校子系统主窗口"_s},
        {ZKHelp::CheckPassWord, u"login.html"_s, u"验证用户身份"_s},
        {ZKHelp::Login, u"login.html"_s, u"登录系统"_s},
        {ZKHelp::ModifyServer, u"login.html"_s, u"修改服务器地址"_s},
        {ZKHelp::LinkToZB, u"main.html"_s, u"高校招生信息发布主页"_s},
        {ZKHelp::ExitAndLogin, u"main.html"_s, u"重新登录"_s},
        {ZKHelp::Exit, u"main.html"_s, u"退出"_s},
        {ZKHelp::SelectPC, u"main.html"_s, u"选择批次"_s},
        {ZKHelp::DumpToFile, u"tools.html"_s, u"导出投档单"_s},
        {ZKHelp::DumpTextToFile, u"tools.html"_s, u"导出屏幕显示的投档单信息"_s},
        {ZKHelp::PrintTDD, u"tools.html"_s, u"打印投档单"_s},
        {ZKHelp::SelectKL_JHXZ, u"main.html"_s, u"选择科类、计划性质"_s},
        {ZKHelp::FindKS, u"candidates.html"_s, u"查找考生"_s},
        {ZKHelp::CopyKshToClipboard, u"candidates.html"_s, u"复制选中考生的考生号"_s},
        {ZKHelp::FilterKS, u"candidates.html"_s, u"筛选考生"_s},
        {ZKHelp::ZyState, u"candidates.html"_s, u"专业信息"_s},
        {ZKHelp::KSXX, u"candidates.html"_s, u"考生详细信息"_s},
        {ZKHelp::SortByKSH, u"candidates.html"_s, u"以考生号排序"_s},
        {ZKHelp::SortByCj, u"candidates.html"_s, u"以基准成绩排序"_s},
        {ZKHelp::SortByLQZY, u"candidates.html"_s, u"以录取专业排序"_s},
        {ZKHelp::Stat, u"tools.html"_s, u"统计信息"_s},
        {ZKHelp::ViewTDDW, u"main.html"_s, u"选择要查看的投档单位"_s},
        {ZKHelp::ViewZY, u"main.html"_s, u"选择要查看的专业"_s},
        {ZKHelp::ShowCodeTable, u"tools.html"_s, u"代码表页面"_s},
        {ZKHelp::Journal, u"candidates.html"_s, u"决定记录"_s},
        {ZKHelp::About, u"tools.html"_s, u"关于本软件"_s},
        {ZKHelp::Connect, u"main.html"_s, u"连接网络"_s},
        {ZKHelp::Disconnect, u"main.html"_s, u"断开连接"_s},
        {ZKHelp::ReConnect, u"login.html"_s, u"连接到服务器"_s},
        {ZKHelp::DownLoadTDD, u"main.html"_s, u"接收考生投档单"_s},
        {ZKHelp::UpLoadJG, u"main.html"_s, u"发送调剂意见"_s},
        {ZKHelp::ChangeLQZT, u"candidates.html"_s, u"修改预录取状态"_s},
        {ZKHelp::Options, u"options.html"_s, u"选项"_s},
    };
    return topics;
}

THelpTopicRec HelpTopicRec(int topic)
{
    const QList<THelpTopicRec> &topics = HelpTopicList();
    for (const THelpTopicRec &rec : topics) {
        if (rec.Topic == topic)
            return rec;
    }
    return topics.first();
}

QString HelpTopicAnchor(int topic)
{
    return u"t"_s + QString::number(topic);
}

QString HelpFolder()
{
    return ZKMainDef().ProgramFolder + u"help/"_s;
}
