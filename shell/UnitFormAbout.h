#pragma once
// TFormAbout: the About box. Built with its English design texts; the program
// applies the Chinese texts (ApplyTexts) before showing it.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vellinor {

class TURLLabel;

class TFormAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 337;
    static constexpr int kClientHeight = 202;

    explicit TFormAbout(QWidget* owner);

    // The About table, in its order.
    void ApplyTexts();
    void Button1Click();

    QLabel* Image1;
    QLabel* Label1; // product name
    QLabel* Label2; // version line
    QLabel* Label5; // "HomePage:"
    QLabel* Label6; // "EMail:"
    TURLLabel* URLLabel4;
    TURLLabel* URLLabel1;
    QLineEdit* Memo1; // English description, hidden at run time
    QLineEdit* Memo2; // Chinese description
    QPushButton* Button1;
};

} // namespace vellinor
