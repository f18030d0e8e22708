#include "leader/LeaderLog.h"

#include <QDateTime>

using namespace Qt::StringLiterals;

TLeaderLog::TLeaderLog(const QString &path)
    : FFile(path)
{
    if (!path.isEmpty())
        FFile.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

void TLeaderLog::Write(int connection, const char *direction, const QString &text)
{
    if (!FFile.isOpen())
        return;
    // The time is taken under the lock so that the lines stay in time order.
    const std::lock_guard lock(FMutex);
    const QString line = QDateTime::currentDateTime().toString(u"yyyy-MM-dd hh:mm:ss.zzz"_s) + u" #"_s +
                         QString::number(connection) + u' ' + QLatin1String(direction) + u' ' + text + u'\n';
    FFile.write(line.toUtf8());
    FFile.flush();
}
