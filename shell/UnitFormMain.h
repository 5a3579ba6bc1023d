#pragma once
// TFormMain: the main window. Built with its English design texts; FormCreate
// applies the Chinese texts, reads the settings file and configures the view;
// destruction writes the settings file back.

#include "vect/REzoreZuDidu.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTextEdit;

namespace vellinor {

class TColorBox;
class TFileListBox;
class TImageViewWidget;
class TSavePictureDialog;
class TShellTreeView;

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kStatusPanelCount = 6;
    static constexpr int kStatusPanelWidths[kStatusPanelCount] = {200, 150, 150, 100, 100, 50};

    // settingsPath: the settings file to read now and write at destruction.
    explicit TFormMain(std::string settingsPath, QWidget* parent = nullptr);
    ~TFormMain() override;

    // Shows a failure the user must know about (a settings write); tests replace it.
    std::function<void(const QString& message)> ReportError;

    // --- Lifecycle handlers ---
    void FormCreate();
    void FormShow();
    void FormActivate();
    // Runs for every key pressed in the window, whichever control has the focus.
    void FormKeyDown(int key, TShiftState shift);
    void FormDestroy();

    // --- Handlers of the controls ---
    void Button3Click();
    void ButtonAboutClick();
    void ButtonHomePageClick();
    void SelectRadioGroupClick();
    void CheckBoxUseObjectsClick();
    void ImageVectZoomIn(double newZoom);
    void ImageVectZoomOut(double newZoom);
    void ImageVectImageChange();
    void ImageVectClick();
    void ImageVectVectorialChanged();
    // Enable rules of the three command buttons.
    void UpdateCommandStates();

    // --- Browsing, loading and saving ---
    void ShellTreeView1Change();
    void FileListBox1Change();
    void ButtonSaveAsClick();
    void ImageVectProgress(int per);
    // The file last selected in the list (empty before the first).
    const QString& CurrentFile() const { return fCurrentFile; }
    // Asks for the name and row of a save; tests put their own in.
    std::unique_ptr<TSavePictureDialog> SavePictureDialog1;

    const std::string& SettingsPath() const { return fSettingsPath; }
    REzoreZuDidu& ImageVect() { return *fImageVect; }

    // --- Controls (named as designed) ---
    QGroupBox* GroupBox2; // "Source"
    QSplitter* SourceSplitter;
    TShellTreeView* ShellTreeView1;
    TFileListBox* FileListBox1;
    QGroupBox* GroupBox1; // "Copyright"
    QLabel* CopyrightEditLabel;
    QLineEdit* CopyrightEdit;
    QPushButton* ButtonAddCopyright;
    QGroupBox* GroupBox4; // "General Options"
    QCheckBox* CheckBoxAddFrame;
    QCheckBox* CheckBoxCopyrightInMargin;
    QLabel* Label1; // "Text Color"
    TColorBox* ColorBoxTextColor;
    QGroupBox* GroupBox3; // "Object Options"
    QCheckBox* CheckBoxUseObjects;
    QCheckBox* CheckBoxAddSoftShadow;
    QCheckBox* CheckBoxAntialiasText;
    QPushButton* ButtonMerge;
    QGroupBox* SelectRadioGroup;
    QTextEdit* Memo1;
    QPushButton* ButtonSaveAs;
    TImageViewWidget* ImageVectWidget;
    QProgressBar* ProgressBar;
    QPushButton* Button3; // "Close"
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* ButtonAbout;
    QPushButton* ButtonHomePage;
    QLabel* StatusPanels[kStatusPanelCount];

    // The items of SelectRadioGroup as they are now.
    int SelectRadioGroupItemCount() const;
    QRadioButton* SelectRadioGroupItem(int index) const;
    int SelectRadioGroupItemIndex() const;
    void SetSelectRadioGroupItemIndex(int index);
    void SetSelectRadioGroupItems(const QStringList& items);

    // Lines of the note box.
    QStringList Memo1Lines() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildControls();
    QWidget* BuildLeftColumn();
    QWidget* BuildCopyrightGroup();
    QWidget* BuildBottomStrip();
    void BuildStatusBar();
    void ApplyDesignTexts();
    void ApplyInterfaceTexts();
    void ReadSettings();
    void ConfigureView();
    void SetMemo1Lines(const QStringList& lines);
    void SetZoomItemCaption();
    bool IsFirstReceiver(QObject* watched, QEvent* event);
    // The guarded parts of loading and saving; failures are told to the user.
    void LoadPicture(const QString& path);
    void SavePicture(const QString& path);
    void ReportFileFailure(const QString& message);
    // Add Copyright and SaveAs follow whether the view holds a picture.
    void UpdateLoadCommandStates();
    int ShapeCount() const { return fImageVect->ShapeCount(); }

    std::string fSettingsPath;
    std::unique_ptr<REzoreZuDidu> fImageVect;
    QString fCurrentFile;
    QButtonGroup* fSelectButtons = nullptr;
    // Key preview: the event and the widget it last reached.
    QEvent* fPreviewedEvent = nullptr;
    QObject* fPreviewedReceiver = nullptr;
};

} // namespace vellinor
