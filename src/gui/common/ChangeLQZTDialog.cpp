#include "gui/common/ChangeLQZTDialog.h"

// Being built: always cancelled.
TChangeLQZTAnswer TChangeLQZTDialog::Show(const TChangeLQZTValues &)
{
    return {};
}
