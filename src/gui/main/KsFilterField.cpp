#include "gui/main/KsFilterField.h"

#include "gui/common/GuiMetrics.h"
#include "workspace/MainDM.h"

#include <QApplication>
#include <QKeyEvent>

using namespace Qt::StringLiterals;

namespace {

// Width of the field at 96 dots per inch.
constexpr int FieldWidth = 220;

} // namespace

TKsFilterField::TKsFilterField(TMainDM &dm, QWidget *parent)
    : QLineEdit(parent)
    , FDm(dm)
{
    setObjectName(u"KsFilterEdit"_s);
    setAccessibleName(u"筛选考生"_s);
    setPlaceholderText(u"筛选考生：姓名、考生号、中学…"_s);
    setToolTip(u"筛选考生"_s);
    setStatusTip(u"只显示各项内容中含有所有输入词语的考生；Esc 清除，Enter 转到考生列表。"_s);
    setClearButtonEnabled(true);
    setFixedWidth(ScaledPixels(FieldWidth, this));
    connect(this, &QLineEdit::textChanged, this, &TKsFilterField::OnTextChanged);
    UpdateLook();
}

QColor TKsFilterField::FilteredColour()
{
    return QColor(255, 236, 160);
}

void TKsFilterField::OnTextChanged(const QString &text)
{
    FDm.SetKsFilterText(text);
    UpdateLook();
}

void TKsFilterField::UpdateLook()
{
    const bool filtered = FDm.IsKsFilterActive();
    if (filtered == FShowsFiltered)
        return;
    FShowsFiltered = filtered;
    QPalette look;
    if (filtered) {
        look = QApplication::palette(this);
        look.setColor(QPalette::Base, FilteredColour());
    }
    // An empty palette gives the field the application's colours back.
    setPalette(look);
}

void TKsFilterField::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        clear();
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit GridFocusRequested();
        event->accept();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void TKsFilterField::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // The candidates' texts are made once per set before the first keystroke needs them.
    if (!FDm.IsKsFilterActive()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        FDm.PrepareKsFilter();
        QApplication::restoreOverrideCursor();
    }
}
