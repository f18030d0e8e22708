#include "gui/main/GridHintPanel.h"

#include "gui/common/GuiMetrics.h"

#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TGridHintPanel::TGridHintPanel(QWidget *parent)
    : QFrame(parent)
    , FTitle(new QLabel(this))
    , FBody(new QLabel(this))
{
    setObjectName(u"HintPanel"_s);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(255, 255, 225));
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    setFixedSize(ScaledPixels(241, parent), ScaledPixels(99, parent));

    FTitle->setObjectName(u"XMText"_s);
    FBody->setObjectName(u"HintLabel"_s);
    for (QLabel *label : {FTitle, FBody}) {
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        // Clicks go to the panel, which hides itself.
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    FBody->setWordWrap(true);
    FBody->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FBody->setFixedSize(ScaledPixels(225, parent), ScaledPixels(58, parent));

    auto *layout = new QVBoxLayout(this);
    const int margin = ScaledPixels(7, parent);
    layout->setContentsMargins(margin, margin / 2, margin, margin / 2);
    layout->setSpacing(ScaledPixels(3, parent));
    layout->addWidget(FTitle);
    layout->addWidget(FBody);
    hide();
}

void TGridHintPanel::SetTexts(const QString &title, const QString &text)
{
    FTitle->setText(title);
    FBody->setText(text);
}

void TGridHintPanel::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    hide();
}
