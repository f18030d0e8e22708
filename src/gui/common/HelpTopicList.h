#pragma once

#include <QList>
#include <QString>

// The numbered help topics of the client: every window and command has one. Windows
// pass these numbers to ShowHelpTopic; each has its section (an anchor "t<number>") on a
// page of the help folder.
namespace ZKHelp {
inline constexpr int Contents = 10; // "目录和索引"; 0 shows it too
inline constexpr int MainWindow = 1010;
inline constexpr int CheckPassWord = 4010; // "验证用户身份"
inline constexpr int Login = 4020;         // "登录系统"
inline constexpr int ModifyServer = 4030;  // "修改服务器地址"
inline constexpr int LinkToZB = 11010;
inline constexpr int ExitAndLogin = 11020;
inline constexpr int Exit = 11030;
inline constexpr int SelectPC = 11110;
inline constexpr int DumpToFile = 11120;
inline constexpr int DumpTextToFile = 11130;
inline constexpr int PrintTDD = 11140;
inline constexpr int SelectKL_JHXZ = 11150;
inline constexpr int FindKS = 11210;
inline constexpr int CopyKshToClipboard = 11220;
inline constexpr int FilterKS = 11230; // "筛选考生", the live filter of the candidate grid
inline constexpr int ZyState = 11310;
inline constexpr int KSXX = 11320; // the candidate detail window and its command
inline constexpr int SortByKSH = 11330;
inline constexpr int SortByCj = 11340;
inline constexpr int SortByLQZY = 11350;
inline constexpr int Stat = 11360;
inline constexpr int ViewTDDW = 11370;
inline constexpr int ViewZY = 11380;
inline constexpr int ShowCodeTable = 11390;
inline constexpr int Journal = 11395; // "决定记录"
inline constexpr int About = 11410;
inline constexpr int Connect = 12010; // "连接网络"
inline constexpr int Disconnect = 12020;
inline constexpr int ReConnect = 14010; // "连接到服务器"
inline constexpr int DownLoadTDD = 14030;
inline constexpr int UpLoadJG = 14040;
inline constexpr int ChangeLQZT = 14210;
inline constexpr int Options = 14310;
} // namespace ZKHelp

struct THelpTopicRec
{
    int Topic = 0;
    QString Page;  // file name in the help folder
    QString Title; // the section's heading
};

// Every topic with its page, in number order.
const QList<THelpTopicRec> &HelpTopicList();

// The topic's entry; the contents page for 0 and for a number without a section.
THelpTopicRec HelpTopicRec(int topic);

// The anchor of a topic's section: "t" + the number.
QString HelpTopicAnchor(int topic);

// The program folder's help folder, ending with '/'.
QString HelpFolder();
