#pragma once

#include <QStringList>
#include <QTemporaryDir>

class TMainDM;

// The demo generator's data (province 11 with numeric scores, 32 with graded ones) loaded
// into the user folders of member zy01 below one storage folder, with the province list,
// as the client keeps them after its first set-up.
class TDemoStatsWorld
{
public:
    explicit TDemoStatsWorld(int candidates = 240);

    QString Storage() const { return FStorage; }
    // The sets (PCDM, KLDM, JHXZ) of a province that have dossiers.
    QStringList Sets(const QString &ssdm) const;

    // Opens a set in dm as zelkinc-cli does (login values, code tables, the set); false
    // when the workspace refused.
    bool OpenSet(TMainDM &dm, const QString &ssdm, const QStringList &set) const;

private:
    void LoadProvince(const QString &ssdm, bool graded);

    QTemporaryDir FDir;
    QString FStorage;
    QString FDemo;
};
