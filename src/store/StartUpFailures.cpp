#include "store/StartUpFailures.h"

#include "store/ZKMainDef.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace {

QString WithDetail(const QString &text, const QString &detail)
{
    return detail.isEmpty() ? text : text + u"\r\n"_s + detail;
}

QString Native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString ProvinceListReadFailureText(const QString &file, const QString &detail)
{
    return WithDetail(u"无法读取省区市列表文件 "_s + Native(file) + u"，程序不能继续运行。"_s, detail);
}

QString ShippedFileCopyFailureText(const QString &fileName, const QString &targetFolder)
{
    return u"无法把程序文件夹中的 "_s + Native(ZKMainDef().ProgramFolder + fileName) + u" 复制到 "_s +
           Native(targetFolder) + u"，程序不能继续运行。"_s;
}

QString UserDatabaseOpenFailureText(const QString &file, const QString &detail)
{
    return WithDetail(u"无法打开用户数据库 "_s + Native(file) + u"，程序不能继续运行。"_s, detail);
}

QString InstanceLockFailureText(const QString &detail)
{
    return WithDetail(u"无法建立程序的运行锁，程序不能启动。"_s, detail);
}
