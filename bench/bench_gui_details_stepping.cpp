// Stepping the detail window through 1,000 candidates (offscreen, a demo set on the
// leader's stand-in, back and forth through its list) against writing the same pages
// with the page generator alone, in the same run. Prints the times and their ratio;
// fails on nothing.
//
// usage: bench_gui_details_stepping [steps]

#include "DetailRig.h"
#include "store/ZKMainDef.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int steps = argc > 1 ? qMax(1, atoi(argv[1])) : 1000;
    TDetailRig r(false, false);
    ZKMainDef().IsConnected = false; // no fetches: the step alone is measured
    r.ShowFirst();
    const QList<TKSItem *> list = r.F->DM.CurrentKSList;

    QElapsedTimer timer;
    timer.start();
    bool forward = true;
    for (int i = 0; i < steps; ++i) {
        if (forward ? !r.Form->NextAction->isEnabled() : !r.Form->PrevAction->isEnabled())
            forward = !forward;
        if (forward)
            r.Form->NextActionExecute();
        else
            r.Form->PrevActionExecute();
    }
    QCoreApplication::processEvents();
    const double windowMs = double(timer.nsecsElapsed()) / 1e6;

    TDNPageBuilder &builder = r.Form->Builder();
    timer.restart();
    for (int i = 0; i < steps; ++i) {
        TKSItem *ks = list[i % list.size()];
        builder.SetCandidate(ks->Ksh, ks);
        builder.BuildDNPage(0);
    }
    const double pageMs = double(timer.nsecsElapsed()) / 1e6;

    std::printf("detail window: %d steps through a list of %lld candidates\n", steps,
                static_cast<long long>(list.size()));
    std::printf("  page 0 written alone : %9.2f ms  (%.3f ms per candidate)\n", pageMs, pageMs / steps);
    std::printf("  window steps         : %9.2f ms  (%.3f ms per step)\n", windowMs, windowMs / steps);
    std::printf("  ratio window / page  : %.2f\n", windowMs / pageMs);
    return 0;
}
