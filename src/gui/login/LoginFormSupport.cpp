#include "gui/login/LoginFormSupport.h"

#include "gui/common/GuiMetrics.h"
#include "link/MemberTransaction.h"

#include <QLabel>

namespace LoginFormParts {

QLabel *AddLabel(const QString &text, QWidget *parent, int left, int top, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    label->move(ScaledPixels(left, parent), ScaledPixels(top, parent));
    label->adjustSize();
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

void Place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(ScaledPixels(left, widget), ScaledPixels(top, widget), ScaledPixels(width, widget),
                        ScaledPixels(height, widget));
}

QString FieldText(TRecordset &set, const char16_t *name)
{
    return set.FindField(QStringView(name)) >= 0 ? set.FieldByName(QStringView(name)).AsString() : QString();
}

int ResultCodeOf(const QVariantList &out)
{
    bool ok = false;
    const int code = out.value(0).toInt(&ok);
    return ok ? code : int(lrNotDone);
}

} // namespace LoginFormParts
