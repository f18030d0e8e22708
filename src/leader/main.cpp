#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream(stdout) << "zelkinc-leader: the leader's server stand-in is being built\n";
    return 0;
}
