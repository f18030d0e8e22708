#pragma once

#include "workspace/ChangeLQZT.h"

class QWidget;

// The status dialog "修改预录取状态" behind the workspace's TChangeLQZTForm.
class TChangeLQZTDialog : public IChangeLQZTDialog
{
public:
    explicit TChangeLQZTDialog(QWidget *parent = nullptr)
        : FParent(parent)
    {}
    TChangeLQZTAnswer Show(const TChangeLQZTValues &values) override;

private:
    QWidget *FParent;
};
