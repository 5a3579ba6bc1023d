#include "shell/UnitFormAbout.h"

#include "shell/InterfaceTexts.h"
#include "shell/ProgramIcon.h"
#include "shell/TURLLabel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vellinor {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& box) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(box);
    return label;
}

QLineEdit* MakeTextBox(QWidget* parent, const char* name, const QString& text) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignCenter);
    box->setGeometry(20, 136, 297, 24);
    return box;
}

} // namespace

TFormAbout::TFormAbout(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("FormAbout"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(QFont(QStringLiteral("Arial"), 9));
    setWindowTitle(QString::fromUtf8(design::kAboutCaption));

    Image1 = MakeLabel(this, "Image1", QString(), QRect((kClientWidth - 32) / 2, 8, 32, 32));
    Image1->setPixmap(ProgramPixmap(32));

    Label1 =
        MakeLabel(this, "Label1", QString::fromUtf8(kProgramName), QRect(0, 42, kClientWidth, 22));
    QFont bold = font();
    bold.setBold(true);
    bold.setPointSize(12);
    Label1->setFont(bold);
    Label1->setAlignment(Qt::AlignCenter);
    Label2 =
        MakeLabel(this, "Label2", QString::fromUtf8(kVersionLine), QRect(0, 64, kClientWidth, 18));
    Label2->setAlignment(Qt::AlignCenter);

    Label5 =
        MakeLabel(this, "Label5", QString::fromUtf8(design::kAboutHomePage), QRect(20, 88, 70, 18));
    URLLabel4 = new TURLLabel(this);
    URLLabel4->setObjectName(QStringLiteral("URLLabel4"));
    URLLabel4->setGeometry(92, 88, 225, 18);

    Label6 =
        MakeLabel(this, "Label6", QString::fromUtf8(design::kAboutEMail), QRect(20, 110, 70, 18));
    URLLabel1 = new TURLLabel(this);
    URLLabel1->setObjectName(QStringLiteral("URLLabel1"));
    URLLabel1->setGeometry(92, 110, 225, 18);
    URLLabel1->setText(QString::fromUtf8(kEMail));
    URLLabel1->SetTarget(QUrl(QStringLiteral("mailto:") + QString::fromUtf8(kEMail)));

    Memo1 = MakeTextBox(this, "Memo1", QString::fromUtf8(design::kAboutEnglish));
    Memo2 = MakeTextBox(this, "Memo2", QString());
    Memo2->hide();

    Button1 = new QPushButton(QString::fromUtf8(design::kAboutClose), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry((kClientWidth - 80) / 2, 168, 80, 26);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TFormAbout::ApplyTexts() {
    setWindowTitle(QString::fromUtf8(texts::kAboutCaption));
    Label1->setText(QString::fromUtf8(kProgramName));
    Label5->setText(QString::fromUtf8(texts::kAboutHomePage));
    Label6->setText(QString::fromUtf8(texts::kAboutEMail));
    const QString home = QString::fromUtf8(kHomePage);
    URLLabel4->setText(home);
    URLLabel4->setToolTip(home);
    URLLabel4->SetTarget(QUrl(home));
    Memo1->hide();
    Memo2->setText(QString::fromUtf8(texts::kAboutChinese));
    Memo2->show();
    Button1->setText(QString::fromUtf8(texts::kAboutClose));
}

void TFormAbout::Button1Click() {
    close();
}

} // namespace vellinor
