#pragma once
// TIOPreviewsForm: the save options dialog ("Parameters preview") on screen.
// Everything it does is TPreviewsModel's; the form only shows the model's
// pages, lists, numbers, sizes and result, and passes the user's changes on.

#include "io/PreviewsDialog.h"
#include "io/PreviewsModel.h"
#include "shell/BusyCursor.h"
#include "view/DOrevaDeVeri.h"

#include <QDialog>
#include <array>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QTabWidget;

namespace vellinor {

class TImageViewWidget;

class TIOPreviewsForm : public QDialog, public TIEPreviewsDialog {
    Q_OBJECT
public:
    TIOPreviewsForm(const TIEPreviewsSetup& setup, QWidget* parent = nullptr);
    ~TIOPreviewsForm() override;

    // TIEPreviewsDialog
    std::string Caption() const override;
    bool Execute() override;

    TPreviewsModel& Model() { return *fModel; }
    DOrevaDeVeri& SourceView() { return fSourceView; }
    DOrevaDeVeri& ResultView() { return fResultView; }

    // The controls of a page (null when the page or the field is not there).
    QComboBox* ListBox(TPreviewsPage page, TPreviewsFieldId field) const;
    QLineEdit* Edit(TPreviewsPage page, TPreviewsFieldId field) const;
    QSlider* TrackBar(TPreviewsPage page, TPreviewsFieldId field) const;
    QLabel* OriginalSizeLabel(TPreviewsPage page) const;
    QLabel* CompressedSizeLabel(TPreviewsPage page) const;
    // The tab of a page; -1 when the page is not visible.
    int TabOf(TPreviewsPage page) const;

    QTabWidget* PageControl;
    QPushButton* ButtonOK;
    QPushButton* ButtonCancel;
    QPushButton* ButtonPreview;
    QPushButton* ButtonApply;
    QCheckBox* CheckLockPreview;
    QProgressBar* ProgressBar;
    TImageViewWidget* SourceViewWidget;
    TImageViewWidget* ResultViewWidget;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct TPageWidgets {
        TPreviewsPage Page = TPreviewsPage::Jpeg;
        std::array<QComboBox*, kPreviewsFieldCount> Lists{};
        std::array<QLineEdit*, kPreviewsFieldCount> Edits{};
        std::array<QSlider*, kPreviewsFieldCount> TrackBars{};
        QLabel* OriginalSize = nullptr;
        QLabel* CompressedSize = nullptr;
    };

    void BuildViews(QWidget* area);
    QWidget* BuildPage(TPreviewsPage page);
    void AddField(TPageWidgets& widgets, const TPreviewsField& field, QGridLayout* grid, int row);
    QWidget* BuildButtons();
    void ConfigureView(DOrevaDeVeri& view);
    const TPageWidgets* WidgetsOf(TPreviewsPage page) const;
    // Shows the model's values of a page; the edit being typed in keeps its text.
    void ShowValues(TPreviewsPage page, const QLineEdit* typing = nullptr);
    void ShowButtons();
    void ShowPreview();
    void ValueChosen(TPreviewsPage page, TPreviewsFieldId field, int value);
    void NumberTyped(TPreviewsPage page, TPreviewsFieldId field, QLineEdit* edit);

    DOrevaDeVeri fSourceView;
    DOrevaDeVeri fResultView;
    std::unique_ptr<TPreviewsModel> fModel;
    std::vector<TPageWidgets> fPages;
    std::optional<TBusyCursor> fBusy;
    bool fShownOnce = false;
};

// Registers the form as the I/O objects' options dialog.
void InstallPreviewsForm();

} // namespace vellinor
