#include "gui/common/ChangeLQZTDialog.h"

#include "gui/common/GuiMetrics.h"
#include "gui/common/HelpTopics.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

using namespace Qt::StringLiterals;

namespace {

// Layout at 96 dpi: the candidate labels in two columns, the choices below them, the
// buttons in a column on the right.
constexpr int ContentLeft = 16;
constexpr int ContentWidth = 340;
constexpr int LabelsTop = 36;
constexpr int LabelRowHeight = 20;
constexpr int SecondColumn = 190;
constexpr int GroupHeight = 250;
constexpr int ButtonsLeft = ContentLeft + ContentWidth + 16;
constexpr int ClientWidth = ButtonsLeft + 75 + 16;

} // namespace

int TChangeLQZTWindow::s(int pixelsAt96) const
{
    return ScaledPixels(pixelsAt96, this);
}

TChangeLQZTWindow::TChangeLQZTWindow(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setObjectName(u"ChangeLQZTForm"_s);
    setWindowTitle(u"修改预录取状态"_s);
    ApplyWindowFont(this);

    const auto label = [this](const QString &name, const QString &text, QWidget *parentWidget) {
        auto *l = new QLabel(text, parentWidget);
        l->setObjectName(name);
        return l;
    };
    Label4 = label(u"Label4"_s, u"请修改刚才选中的考生的预录取状态。"_s, this);
    Label4->setGeometry(s(ContentLeft), s(12), s(ContentWidth), s(18));
    KSHLabel = label(u"KSHLabel"_s, {}, this);
    XMLabel = label(u"XMLabel"_s, {}, this);
    ScoreLabel = label(u"ScoreLabel"_s, {}, this);
    ZydpLabel = label(u"ZydpLabel"_s, {}, this);
    const int columnWidth = SecondColumn - ContentLeft - 8;
    KSHLabel->setGeometry(s(ContentLeft), s(LabelsTop), s(columnWidth), s(18));
    XMLabel->setGeometry(s(SecondColumn), s(LabelsTop), s(ContentLeft + ContentWidth - SecondColumn), s(18));
    ScoreLabel->setGeometry(s(ContentLeft), s(LabelsTop + LabelRowHeight), s(columnWidth), s(18));
    ZydpLabel->setGeometry(s(SecondColumn), s(LabelsTop + LabelRowHeight),
                           s(ContentLeft + ContentWidth - SecondColumn), s(18));

    LQRadio = new QRadioButton(u"预录取"_s, this);
    LQRadio->setObjectName(u"LQRadio"_s);
    TDRadio = new QRadioButton(u"预退档"_s, this);
    TDRadio->setObjectName(u"TDRadio"_s);

    // The pre-return radio stands on the group's top edge as its title.
    TDGroupBox = new QGroupBox(this);
    TDGroupBox->setObjectName(u"TDGroupBox"_s);
    const int inner = ContentWidth - 24;
    Label3 = label(u"Label3"_s, u"请选择退档原因，必要时可填写备注。"_s, TDGroupBox);
    Label3->setGeometry(s(12), s(26), s(inner), s(18));
    Label1 = label(u"Label1"_s, u"退档原因:"_s, TDGroupBox);
    Label1->setGeometry(s(12), s(50), s(inner), s(18));
    TDYYList = new QListWidget(TDGroupBox);
    TDYYList->setObjectName(u"TDYYList"_s);
    TDYYList->setGeometry(s(12), s(68), s(inner), s(92));
    Label1->setBuddy(TDYYList);
    Label2 = label(u"Label2"_s, u"备注:"_s, TDGroupBox);
    Label2->setGeometry(s(12), s(166), s(inner), s(18));
    TDYYBZMemo = new QPlainTextEdit(TDGroupBox);
    TDYYBZMemo->setObjectName(u"TDYYBZMemo"_s);
    TDYYBZMemo->setTabChangesFocus(true);
    TDYYBZMemo->setGeometry(s(12), s(184), s(inner), s(GroupHeight - 184 - 12));
    Label2->setBuddy(TDYYBZMemo);
    LimitRemark();
    TDRadio->raise();
    TDRadio->setAutoFillBackground(true);

    OKBtn = new QPushButton(u"确定"_s, this);
    OKBtn->setObjectName(u"OKBtn"_s);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(u"取消"_s, this);
    CancelBtn->setObjectName(u"CancelBtn"_s);
    HelpBtn = new QPushButton(u"帮助"_s, this);
    HelpBtn->setObjectName(u"HelpBtn"_s);
    int top = 12;
    for (QPushButton *b : {OKBtn, CancelBtn, HelpBtn}) {
        b->setGeometry(s(ButtonsLeft), s(top), s(75), s(25));
        top += 33;
    }
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, &TChangeLQZTWindow::HelpBtnClick);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &TChangeLQZTWindow::HelpBtnClick);
    connect(LQRadio, &QRadioButton::clicked, this, &TChangeLQZTWindow::LQRadioClick);
    connect(TDRadio, &QRadioButton::clicked, this, &TChangeLQZTWindow::TDRadioClick);

    setTabOrder(LQRadio, TDRadio);
    setTabOrder(TDRadio, TDYYList);
    setTabOrder(TDYYList, TDYYBZMemo);
    setTabOrder(TDYYBZMemo, OKBtn);
    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, HelpBtn);
}

void TChangeLQZTWindow::LimitRemark()
{
    connect(TDYYBZMemo, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = TDYYBZMemo->toPlainText();
        if (text.size() <= RemarkMaxLength)
            return;
        TDYYBZMemo->setPlainText(text.left(RemarkMaxLength));
        TDYYBZMemo->moveCursor(QTextCursor::End);
    });
}

void TChangeLQZTWindow::Fill(const TChangeLQZTValues &values)
{
    KSHLabel->setText(values.KSHLabel);
    XMLabel->setText(values.XMLabel);
    ScoreLabel->setText(values.ScoreLabel);
    ZydpLabel->setText(values.ZydpLabel);
    LQRadio->setText(values.LQRadioCaption.isEmpty() ? u"预录取"_s : values.LQRadioCaption);

    const int radioHeight = s(20);
    const int lqTop = values.LQRadioAtLabels ? ScoreLabel->y() + s(24) : KSHLabel->y();
    LQRadio->setGeometry(s(ContentLeft), lqTop, s(ContentWidth), radioHeight);
    const int tdTop = lqTop + s(24);
    TDRadio->move(s(ContentLeft + 8), tdTop);
    TDRadio->resize(TDRadio->sizeHint().width(), radioHeight);
    TDGroupBox->setGeometry(s(ContentLeft), tdTop, s(ContentWidth), s(GroupHeight));
    setFixedSize(s(ClientWidth), TDGroupBox->geometry().bottom() + 1 + s(16));

    TDYYList->clear();
    TDYYList->addItems(values.TDYYLines);
    if (!values.TDYYLines.isEmpty())
        TDYYList->setCurrentRow(
            values.TDYYIndex >= 0 && values.TDYYIndex < values.TDYYLines.size() ? values.TDYYIndex : 0);
    TDYYBZMemo->setPlainText(values.Remark.left(RemarkMaxLength));

    if (values.TDRadioChecked) {
        TDRadio->setChecked(true);
        TDRadioClick();
        TDRadio->setFocus();
    } else {
        LQRadio->setChecked(true);
        LQRadioClick();
        LQRadio->setFocus();
    }
}

TChangeLQZTAnswer TChangeLQZTWindow::Answer(bool accepted) const
{
    TChangeLQZTAnswer answer;
    answer.Accepted = accepted;
    answer.PreAdmit = LQRadio->isChecked();
    answer.TDYYIndex = std::max(0, TDYYList->currentRow());
    answer.Remark = TDYYBZMemo->toPlainText().left(RemarkMaxLength);
    return answer;
}

void TChangeLQZTWindow::LQRadioClick()
{
    TDYYList->setEnabled(false);
    TDYYBZMemo->setReadOnly(true);
    QPalette p = TDYYBZMemo->palette();
    p.setColor(QPalette::Base, palette().color(QPalette::Button));
    TDYYBZMemo->setPalette(p);
}

void TChangeLQZTWindow::TDRadioClick()
{
    TDYYList->setEnabled(true);
    TDYYBZMemo->setReadOnly(false);
    QPalette p = TDYYBZMemo->palette();
    p.setColor(QPalette::Base, palette().color(QPalette::Base));
    TDYYBZMemo->setPalette(p);
}

void TChangeLQZTWindow::HelpBtnClick()
{
    ShowHelpTopic(HelpTopic, this);
}

TChangeLQZTDialog::~TChangeLQZTDialog()
{
    delete FWindow.data();
}

TChangeLQZTWindow *TChangeLQZTDialog::Window()
{
    if (!FWindow)
        FWindow = new TChangeLQZTWindow(FParent);
    return FWindow;
}

TChangeLQZTAnswer TChangeLQZTDialog::Show(const TChangeLQZTValues &values)
{
    TChangeLQZTWindow *window = Window();
    window->Fill(values);
    const bool accepted = window->exec() == QDialog::Accepted;
    return window->Answer(accepted);
}
