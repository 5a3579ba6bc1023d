// The main window: its controls as designed, the start-up and shutdown
// handlers, key preview, the selection group and the enable rules.

#include "shell/UnitFormMain.h"

#include "io/TIEImageIO.h"
#include "shell/BusyCursor.h"
#include "shell/FileFailureMessages.h"
#include "shell/InterfaceTexts.h"
#include "shell/ProgramIcon.h"
#include "shell/SavePictureDialog.h"
#include "shell/SettingsFile.h"
#include "shell/TColorBox.h"
#include "shell/TFileListBox.h"
#include "shell/TIOPreviewsForm.h"
#include "shell/TImageViewWidget.h"
#include "shell/TShellTreeView.h"
#include "shell/TURLLabel.h"
#include "shell/UnitFormAbout.h"
#include "shell/UrlOpener.h"
#include "shell/VirtualKeys.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QStringDecoder>
#include <QTextEdit>
#include <QVBoxLayout>

namespace vellinor {

namespace {

constexpr int kDesignWidth = 896;
constexpr int kDesignHeight = 696;
constexpr int kLeftColumnWidth = 433;
constexpr int kFolderTreeWidth = 236;
constexpr int kCopyrightGroupHeight = 272;
constexpr int kProgressBarHeight = 17;
constexpr TColor kNavy = 0x800000;
constexpr TColor kMenuColor = 0xFF000004; // the system menu colour

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Settings text is UTF-8; bytes that are not (a file of the 8-bit code page)
// are taken one by one.
QString SettingsText(const std::string& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(QByteArray::fromStdString(bytes));
    if (decoder.hasError()) return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    return text;
}

Qt::WindowState WindowStateOf(int32_t ordinal) {
    switch (ordinal) {
    case 0:
        return Qt::WindowNoState;
    case 1:
        return Qt::WindowMinimized;
    default: // 2, and values outside the three: the default, maximized
        return Qt::WindowMaximized;
    }
}

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

TFormMain::TFormMain(std::string settingsPath, QWidget* parent)
    : QMainWindow(parent), fSettingsPath(std::move(settingsPath)),
      fImageVect(std::make_unique<REzoreZuDidu>()) {
    setObjectName(QStringLiteral("FormMain"));
    SavePictureDialog1 = CreateSavePictureDialog();
    ReportError = [this](const QString& message) {
        QMessageBox::critical(nullptr, Text(kProgramName), message);
    };
    BuildControls();
    ApplyDesignTexts();
    // Design-time state: centred, 896 x 696, key preview on; the window state
    // (designed maximized) always comes from the settings file.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    resize(kDesignWidth, kDesignHeight);
    move(screen.center() - QPoint(kDesignWidth / 2, kDesignHeight / 2));
    qApp->installEventFilter(this);
    FormCreate();
}

TFormMain::~TFormMain() {
    qApp->removeEventFilter(this);
    FormDestroy();
    // The widget refers to the view; it goes first.
    delete ImageVectWidget;
    ImageVectWidget = nullptr;
}

// --- Controls as designed ----------------------------------------------------------

void TFormMain::BuildControls() {
    setWindowIcon(ProgramIcon());
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* mainSplitter = Named(new QSplitter(Qt::Horizontal, central), "Splitter1");
    mainSplitter->addWidget(BuildLeftColumn());
    ImageVectWidget = Named(new TImageViewWidget(*fImageVect, mainSplitter), "ImageVect");
    ImageVectWidget->setMinimumWidth(100);
    mainSplitter->addWidget(ImageVectWidget);
    mainSplitter->setStretchFactor(0, 0);
    mainSplitter->setStretchFactor(1, 1);
    mainSplitter->setSizes({kLeftColumnWidth, kDesignWidth - kLeftColumnWidth});
    outer->addWidget(mainSplitter, 1);

    ProgressBar = Named(new QProgressBar(central), "ProgressBar");
    ProgressBar->setFixedHeight(kProgressBarHeight);
    ProgressBar->setRange(0, 100);
    ProgressBar->setTextVisible(false);
    ProgressBar->hide();
    outer->addWidget(ProgressBar);
    outer->addWidget(BuildBottomStrip());
    setCentralWidget(central);
    BuildStatusBar();

    REzoreZuDidu& view = *fImageVect;
    view.OnZoomIn = [this](DOrevaDeVeri&, double z) { ImageVectZoomIn(z); };
    view.OnZoomOut = [this](DOrevaDeVeri&, double z) { ImageVectZoomOut(z); };
    view.OnImageChange = [this](DOrevaDeVeri&) { ImageVectImageChange(); };
    view.OnClick = [this](DOrevaDeVeri&) { ImageVectClick(); };
    view.OnProgress = [this](DOrevaDeVeri&, int per) { ImageVectProgress(per); };
    view.OnVectorialChanged = [this](REzoreZuDidu&) { ImageVectVectorialChanged(); };
}

QWidget* TFormMain::BuildLeftColumn() {
    auto* column = new QWidget;
    column->setMinimumWidth(300);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(4, 4, 2, 4);

    GroupBox2 = Named(new QGroupBox(column), "GroupBox2");
    auto* sourceLayout = new QVBoxLayout(GroupBox2);
    sourceLayout->setContentsMargins(4, 4, 4, 4);
    SourceSplitter = Named(new QSplitter(Qt::Horizontal, GroupBox2), "Splitter2");
    ShellTreeView1 = Named(new TShellTreeView(SourceSplitter), "ShellTreeView1");
    FileListBox1 = Named(new TFileListBox(SourceSplitter), "FileListBox1");
    connect(ShellTreeView1, &TShellTreeView::Change, this, [this] { ShellTreeView1Change(); });
    connect(FileListBox1, &TFileListBox::Change, this, [this] { FileListBox1Change(); });
    SourceSplitter->addWidget(ShellTreeView1);
    SourceSplitter->addWidget(FileListBox1);
    SourceSplitter->setSizes({kFolderTreeWidth, kLeftColumnWidth - kFolderTreeWidth});
    sourceLayout->addWidget(SourceSplitter);
    layout->addWidget(GroupBox2, 1);
    layout->addWidget(BuildCopyrightGroup());
    return column;
}

QWidget* TFormMain::BuildCopyrightGroup() {
    GroupBox1 = Named(new QGroupBox, "GroupBox1");
    GroupBox1->setFixedHeight(kCopyrightGroupHeight);
    auto* grid = new QGridLayout(GroupBox1);
    grid->setContentsMargins(6, 4, 6, 6);
    grid->setVerticalSpacing(3);

    CopyrightEditLabel = Named(new QLabel(GroupBox1), "CopyrightEditLabel");
    CopyrightEdit = Named(new QLineEdit(GroupBox1), "CopyrightEdit");
    CopyrightEditLabel->setBuddy(CopyrightEdit);
    ButtonAddCopyright = Named(new QPushButton(GroupBox1), "ButtonAddCopyright");
    grid->addWidget(CopyrightEditLabel, 0, 0, 1, 2);
    grid->addWidget(CopyrightEdit, 1, 0);
    grid->addWidget(ButtonAddCopyright, 1, 1);

    GroupBox4 = Named(new QGroupBox(GroupBox1), "GroupBox4");
    auto* general = new QGridLayout(GroupBox4);
    general->setContentsMargins(6, 2, 6, 4);
    general->setVerticalSpacing(2);
    CheckBoxAddFrame = Named(new QCheckBox(GroupBox4), "CheckBoxAddFrame");
    CheckBoxCopyrightInMargin = Named(new QCheckBox(GroupBox4), "CheckBoxCopyrightInMargin");
    CheckBoxCopyrightInMargin->setChecked(true);
    Label1 = Named(new QLabel(GroupBox4), "Label1");
    ColorBoxTextColor = Named(new TColorBox(GroupBox4), "ColorBoxTextColor");
    general->addWidget(CheckBoxAddFrame, 0, 0, 1, 2);
    general->addWidget(CheckBoxCopyrightInMargin, 1, 0, 1, 2);
    general->addWidget(Label1, 2, 0);
    general->addWidget(ColorBoxTextColor, 2, 1);
    general->setColumnStretch(1, 1);

    GroupBox3 = Named(new QGroupBox(GroupBox1), "GroupBox3");
    auto* objects = new QVBoxLayout(GroupBox3);
    objects->setContentsMargins(6, 2, 6, 4);
    objects->setSpacing(2);
    CheckBoxUseObjects = Named(new QCheckBox(GroupBox3), "CheckBoxUseObjects");
    CheckBoxUseObjects->setChecked(true);
    CheckBoxAddSoftShadow = Named(new QCheckBox(GroupBox3), "CheckBoxAddSoftShadow");
    CheckBoxAddSoftShadow->setChecked(true);
    CheckBoxAntialiasText = Named(new QCheckBox(GroupBox3), "CheckBoxAntialiasText");
    CheckBoxAntialiasText->setChecked(true);
    ButtonMerge = Named(new QPushButton(GroupBox3), "ButtonMerge");
    objects->addWidget(CheckBoxUseObjects);
    objects->addWidget(CheckBoxAddSoftShadow);
    objects->addWidget(CheckBoxAntialiasText);
    objects->addWidget(ButtonMerge);
    connect(CheckBoxUseObjects, &QCheckBox::clicked, this, [this] { CheckBoxUseObjectsClick(); });

    auto* options = new QHBoxLayout;
    options->addWidget(GroupBox4, 1);
    options->addWidget(GroupBox3, 1);
    grid->addLayout(options, 2, 0, 1, 2);

    SelectRadioGroup = Named(new QGroupBox(GroupBox1), "SelectRadioGroup");
    new QHBoxLayout(SelectRadioGroup);
    SelectRadioGroup->layout()->setContentsMargins(6, 2, 6, 4);
    fSelectButtons = new QButtonGroup(this);
    connect(fSelectButtons, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) SelectRadioGroupClick();
    });

    Memo1 = Named(new QTextEdit(GroupBox1), "Memo1");
    Memo1->setReadOnly(true);
    Memo1->setFont(QFont(QStringLiteral("Arial"), 8));
    Memo1->setFrameShape(QFrame::StyledPanel);
    Memo1->setFixedHeight(36);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette memoPalette = Memo1->palette();
    memoPalette.setColor(QPalette::Base, QColorOf(kMenuColor));
    Memo1->setPalette(memoPalette);

    ButtonSaveAs = Named(new QPushButton(GroupBox1), "ButtonSaveAs");
    connect(ButtonSaveAs, &QPushButton::clicked, this, [this] { ButtonSaveAsClick(); });
    grid->addWidget(SelectRadioGroup, 3, 0, 1, 2);
    grid->addWidget(Memo1, 4, 0);
    grid->addWidget(ButtonSaveAs, 4, 1, Qt::AlignBottom);
    grid->setColumnStretch(0, 1);
    return GroupBox1;
}

QWidget* TFormMain::BuildBottomStrip() {
    auto* strip = Named(new QWidget, "Panel1");
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(6, 3, 6, 3);
    Button3 = Named(new QPushButton(strip), "Button3");
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    layout->addWidget(Button3);
    layout->addStretch(1);

    auto* notes = new QVBoxLayout;
    notes->setSpacing(0);
    QFont tahoma(QStringLiteral("Tahoma"), 8);
    QPalette navy = palette();
    navy.setColor(QPalette::WindowText, QColorOf(kNavy));
    Label2 = Named(new QLabel(strip), "Label2");
    Label3 = Named(new QLabel(strip), "Label3");
    for (QLabel* label : {Label2, Label3}) {
        label->setFont(tahoma);
        label->setPalette(navy);
        notes->addWidget(label);
    }
    layout->addLayout(notes);
    layout->addStretch(1);

    ButtonAbout = Named(new QPushButton(strip), "ButtonAbout");
    ButtonHomePage = Named(new QPushButton(strip), "ButtonHomePage");
    connect(ButtonAbout, &QPushButton::clicked, this, [this] { ButtonAboutClick(); });
    connect(ButtonHomePage, &QPushButton::clicked, this, [this] { ButtonHomePageClick(); });
    layout->addWidget(ButtonAbout);
    layout->addWidget(ButtonHomePage);
    return strip;
}

void TFormMain::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    for (int i = 0; i < kStatusPanelCount; ++i) {
        StatusPanels[i] = new QLabel(bar);
        StatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        StatusPanels[i]->setFixedWidth(kStatusPanelWidths[i]);
        StatusPanels[i]->setFrameShape(QFrame::Panel);
        StatusPanels[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(StatusPanels[i]);
    }
}

void TFormMain::ApplyDesignTexts() {
    setWindowTitle(Text(kProgramName));
    GroupBox2->setTitle(Text(design::kSourceGroup));
    CopyrightEditLabel->setText(Text(design::kCopyrightLabel));
    CopyrightEdit->setToolTip(Text(design::kCopyrightHint));
    GroupBox1->setTitle(Text(design::kCopyrightGroup));
    ButtonAddCopyright->setText(Text(design::kAddCopyright));
    GroupBox4->setTitle(Text(design::kGeneralOptions));
    CheckBoxAddFrame->setText(Text(design::kAddFrame));
    CheckBoxCopyrightInMargin->setText(Text(design::kCopyrightInMargin));
    GroupBox3->setTitle(Text(design::kObjectOptions));
    SelectRadioGroup->setTitle(Text(design::kSelectGroup));
    SelectRadioGroup->setToolTip(Text(design::kSelectHint));
    SetSelectRadioGroupItems({Text(design::kSelectItems[0]), Text(design::kSelectItems[1]),
                              Text(design::kSelectItems[2])});
    {
        const QSignalBlocker quiet(fSelectButtons); // the design-time choice runs no handler
        SetSelectRadioGroupItemIndex(1);
    }
    Label1->setText(Text(design::kTextColor));
    CheckBoxUseObjects->setText(Text(design::kUseObjects));
    CheckBoxUseObjects->setToolTip(Text(design::kUseObjectsHint));
    CheckBoxAddSoftShadow->setText(Text(design::kAddSoftShadow));
    CheckBoxAntialiasText->setText(Text(design::kAntialiasText));
    CheckBoxAntialiasText->setToolTip(Text(design::kAntialiasHint));
    SetMemo1Lines(
        {Text(design::kNoteLines[0]), Text(design::kNoteLines[1]), Text(design::kNoteLines[2])});
    ButtonMerge->setText(Text(design::kMerge));
    ButtonMerge->setToolTip(Text(design::kMergeHint));
    ButtonSaveAs->setText(Text(design::kSaveAs));
    ButtonSaveAs->setToolTip(Text(design::kSaveAsHint));
    Button3->setText(Text(design::kClose));
    Button3->setToolTip(Text(design::kCloseHint));
    ButtonAbout->setText(Text(design::kAbout));
    ButtonHomePage->setText(Text(design::kHomePageButton));
    Label2->setText(Text(design::kNote1));
    Label3->setText(Text(design::kNote2));
}

// --- The selection group ------------------------------------------------------------

int TFormMain::SelectRadioGroupItemCount() const {
    return int(fSelectButtons->buttons().size());
}

QRadioButton* TFormMain::SelectRadioGroupItem(int index) const {
    return qobject_cast<QRadioButton*>(fSelectButtons->button(index));
}

int TFormMain::SelectRadioGroupItemIndex() const {
    return fSelectButtons->checkedId();
}

void TFormMain::SetSelectRadioGroupItemIndex(int index) {
    if (QAbstractButton* button = fSelectButtons->button(index)) button->setChecked(true);
}

void TFormMain::SetSelectRadioGroupItems(const QStringList& items) {
    for (QAbstractButton* button : fSelectButtons->buttons()) {
        fSelectButtons->removeButton(button);
        delete button;
    }
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], SelectRadioGroup);
        button->setObjectName(QStringLiteral("SelectRadioGroupItem%1").arg(i));
        fSelectButtons->addButton(button, i);
        SelectRadioGroup->layout()->addWidget(button);
    }
}

void TFormMain::SetZoomItemCaption() {
    if (QRadioButton* item = SelectRadioGroupItem(0))
        item->setText(QString::fromStdString(ZoomItemCaption(fImageVect->Zoom())));
}

void TFormMain::SelectRadioGroupClick() {
    DOrevaDeVeri& view = *fImageVect;
    switch (SelectRadioGroupItemIndex()) {
    case 0: // Zoom
        view.SetAutoFit(false);
        view.SetMouseInteract({miZoom, miScroll});
        view.Update();
        view.SetViewCursor(crIEZoomIn);
        SetZoomItemCaption();
        break;
    case 1: // Auto Fit
        view.SetAutoFit(true);
        view.SetMouseInteract({miScroll});
        view.Update();
        view.SetViewCursor(crDefault);
        SetZoomItemCaption();
        break;
    case 2: // Text: AutoFit and the zoom stay
        view.SetViewCursor(crIEHand);
        break;
    default:
        break;
    }
}

void TFormMain::ImageVectZoomIn(double) {
    fImageVect->SetViewCursor(crIEZoomIn);
    SetZoomItemCaption();
}

void TFormMain::ImageVectZoomOut(double) {
    fImageVect->SetViewCursor(crIEZoomOut);
    SetZoomItemCaption();
}

// --- The note box --------------------------------------------------------------------------

QStringList TFormMain::Memo1Lines() const {
    const QString text = Memo1->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void TFormMain::SetMemo1Lines(const QStringList& lines) {
    Memo1->clear();
    for (const QString& line : lines)
        Memo1->append(line);
    QTextCursor cursor(Memo1->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignCenter);
    cursor.mergeBlockFormat(centred);
}

// --- Start-up --------------------------------------------------------------------------

void TFormMain::ApplyInterfaceTexts() {
    QApplication::setApplicationName(Text(kProgramName));
    setWindowTitle(Text(kProgramName));
    GroupBox2->setTitle(Text(texts::kSourceGroup));
    CopyrightEditLabel->setText(Text(texts::kCopyrightLabel));
    CopyrightEdit->setToolTip(Text(texts::kCopyrightHint));
    GroupBox1->setTitle(Text(texts::kCopyrightGroup));
    ButtonAddCopyright->setText(Text(texts::kAddCopyright));
    GroupBox4->setTitle(Text(texts::kGeneralOptions));
    CheckBoxAddFrame->setText(Text(texts::kAddFrame));
    CheckBoxCopyrightInMargin->setText(Text(texts::kCopyrightInMargin));
    GroupBox3->setTitle(Text(texts::kObjectOptions));
    SelectRadioGroup->setTitle(Text(texts::kSelectGroup));
    SetSelectRadioGroupItems({});
    SetSelectRadioGroupItems(
        {Text(texts::kSelectItems[0]), Text(texts::kSelectItems[1]), Text(texts::kSelectItems[2])});
    Label1->setText(Text(texts::kTextColor));
    SetSelectRadioGroupItemIndex(1); // runs SelectRadioGroupClick: Auto Fit
    CheckBoxUseObjects->setText(Text(texts::kUseObjects));
    CheckBoxAddSoftShadow->setText(Text(texts::kAddSoftShadow));
    CheckBoxAntialiasText->setText(Text(texts::kAntialiasText));
    SetMemo1Lines({});
    SetMemo1Lines({Text(texts::kNoteLine)});
    ButtonMerge->setText(Text(texts::kMerge));
    ButtonSaveAs->setText(Text(texts::kSaveAs));
    ButtonSaveAs->setToolTip(Text(texts::kSaveAsHint));
    Button3->setText(Text(texts::kClose));
    ButtonAbout->setText(Text(texts::kAbout));
    ButtonHomePage->setText(Text(texts::kHomePageButton));
    Label2->setText(Text(texts::kNote1));
    Label3->setText(Text(texts::kNote2));
}

void TFormMain::FormCreate() {
    ApplyInterfaceTexts();
    ReadSettings();
    // The GIF and TIFF LZW coders go into the default slots here once the
    // codecs provide them.
    InstallPreviewsForm();
    ConfigureView();
}

void TFormMain::ReadSettings() {
    const TSettingsFile ini(fSettingsPath);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // The bounds read are the restored bounds: the state is applied after
    // them (setting a state first would fix the restored bounds for good).
    move(ini.ReadInteger(kSettingsSection, kKeyLeft, 0), y());
    move(x(), ini.ReadInteger(kSettingsSection, kKeyTop, 0));
    resize(ini.ReadInteger(kSettingsSection, kKeyWidth, screen.width()), height());
    resize(width(), ini.ReadInteger(kSettingsSection, kKeyHeight, screen.height()));
    // A window placed where no screen shows it could not be reached.
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    if (!desktop.intersects(QRect(pos(), size()))) move(desktop.topLeft());
    setWindowState(WindowStateOf(ini.ReadInteger(kSettingsSection, kKeyWindowState, 2)));
    CopyrightEdit->setText(
        SettingsText(ini.ReadString(kSettingsSection, kKeyCopyright, kDefaultCopyright)));
}

void TFormMain::ConfigureView() {
    DOrevaDeVeri& view = *fImageVect;
    view.BackgroundStyle = iebsChessboard;
    view.SetChessboard(6, bsSolid);
    view.MouseWheelParams.WheelAction = 1;
    view.MouseWheelParams.WheelAmountKind = 1;
    view.MouseWheelParams.WheelAmount = 15;
    view.HorizontalScrollBarParams.LineStep = 15;
    view.VerticalScrollBarParams.LineStep = 15;
    view.ClearImage();
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormMain::FormShow() {
    const bool loaded = !fImageVect->IsEmptyImage();
    ButtonAddCopyright->setEnabled(loaded);
    ButtonMerge->setEnabled(ShapeCount() > 0);
    ButtonSaveAs->setEnabled(loaded);
    ShellTreeView1->setFocus(Qt::OtherFocusReason);
}

void TFormMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TFormMain::FormActivate() {
    fImageVect->PickDistance = 32; // a click selects only objects within 32 screen pixels
}

// --- Keys --------------------------------------------------------------------------------

// A key event travels from the focused widget up to the window; the preview
// runs once, at the first widget it reaches.
bool TFormMain::IsFirstReceiver(QObject* watched, QEvent* event) {
    if (event == fPreviewedEvent) {
        for (QObject* o = fPreviewedReceiver ? fPreviewedReceiver->parent() : nullptr; o;
             o = o->parent()) {
            if (o == watched) {
                fPreviewedReceiver = watched;
                return false;
            }
        }
    }
    fPreviewedEvent = event;
    fPreviewedReceiver = watched;
    return true;
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this && IsFirstReceiver(watched, event)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        FormKeyDown(VirtualKeyOf(key->key()), ShiftStateOf(key->modifiers()));
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::FormKeyDown(int key, TShiftState) {
    if (key == VK_ESCAPE) close();
    if (key == VK_DELETE) {
        REzoreZuDidu& view = *fImageVect;
        while (view.SelectedCount() > 0)
            view.RemoveShape(view.SelectedShape(0));
    }
}

// --- Buttons --------------------------------------------------------------------------------

void TFormMain::Button3Click() {
    close();
}

void TFormMain::ButtonAboutClick() {
    auto* about = new TFormAbout(this);
    about->ApplyTexts();
    about->move(geometry().center() - about->rect().center());
    about->exec();
    delete about;
}

void TFormMain::ButtonHomePageClick() {
    OpenUrl(QUrl(Text(kHomePage)));
}

// --- Enable rules -----------------------------------------------------------------------------

void TFormMain::UpdateCommandStates() {
    ButtonMerge->setEnabled(ShapeCount() > 0);
    UpdateLoadCommandStates();
}

void TFormMain::CheckBoxUseObjectsClick() {
    ButtonMerge->setEnabled(CheckBoxUseObjects->isChecked());
}

void TFormMain::ImageVectImageChange() {
    UpdateCommandStates();
}

void TFormMain::ImageVectClick() {
    UpdateCommandStates();
}

// --- Browsing ----------------------------------------------------------------------------

void TFormMain::ShellTreeView1Change() {
    // A folder that cannot be listed leaves the list empty, without a word.
    try {
        FileListBox1->Clear();
        FileListBox1->SetDirectory(ShellTreeView1->SelectedPath());
    } catch (...) {
        FileListBox1->Clear();
    }
}

void TFormMain::FileListBox1Change() {
    UpdateLoadCommandStates();
    fCurrentFile = FileListBox1->FileName();
    if (fCurrentFile.isEmpty()) return;
    const TBusyCursor busy;
    const QFileInfo file(fCurrentFile);
    QString folder = file.absolutePath();
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    setWindowTitle(Text(kCaptionPrefix) + folder);
    StatusPanels[0]->setText(file.fileName());
    if (file.exists()) LoadPicture(fCurrentFile);
}

// Reads the file into the view. When the reader gives up before it set up
// the picture, the previous picture comes back; a partial picture is shown.
void TFormMain::LoadPicture(const QString& path) {
    StatusPanels[1]->clear();
    ProgressBar->show();
    DOrevaDeVeri& view = *fImageVect;
    TIEImageIO& io = *view.AttachedIO();
    TIEBitmap previous;
    view.CurrentBitmap().HandOver(previous);
    const QString reason = RunFileOperation(io, [&] { io.LoadFile(path.toStdString()); });
    const bool failed = io.AbortFlag;
    if (failed && view.CurrentBitmap().IsVoid()) {
        previous.HandOver(view.CurrentBitmap());
        view.ImageChange();
    }
    view.FitAfterLoad();
    UpdateLoadCommandStates();
    const TIEBitmap& picture = view.CurrentBitmap();
    StatusPanels[2]->setText(QStringLiteral("%1 x %2").arg(picture.Width()).arg(picture.Height()));
    ProgressBar->hide();
    if (failed) ReportFileFailure(OpenFailureMessage(path, reason));
}

void TFormMain::ImageVectProgress(int per) {
    ProgressBar->setValue(per);
    if (per >= 100) ProgressBar->setValue(0);
}

// --- Saving ----------------------------------------------------------------------------------

void TFormMain::ButtonSaveAsClick() {
    if (!SavePictureDialog1->Execute(this)) return;
    const QString path = SavePictureDialog1->FileName();
    const TIOPreviewsPages page = OptionsPageOfFilterRow(SavePictureDialog1->FilterIndex());
    if (page == 0 || path.isEmpty()) return;
    if (!fImageVect->AttachedIO()->DoPreviews(page)) return;
    SavePicture(path);
}

// The writer follows the extension of the name; the status bar shows the
// name only when the file was written.
void TFormMain::SavePicture(const QString& path) {
    const TBusyCursor busy;
    StatusPanels[1]->clear();
    TIEImageIO& io = *fImageVect->AttachedIO();
    const QString reason = RunFileOperation(io, [&] { io.SaveFile(path.toStdString()); });
    if (io.AbortFlag) {
        ReportFileFailure(SaveFailureMessage(path, reason));
        return;
    }
    StatusPanels[0]->setText(QFileInfo(path).fileName());
}

void TFormMain::ReportFileFailure(const QString& message) {
    StatusPanels[1]->setText(message);
    StatusPanels[1]->repaint();
    if (ReportError) ReportError(message);
}

void TFormMain::UpdateLoadCommandStates() {
    const bool loaded = !fImageVect->IsEmptyImage();
    ButtonAddCopyright->setEnabled(loaded);
    ButtonSaveAs->setEnabled(loaded);
}

void TFormMain::ImageVectVectorialChanged() {
    UpdateCommandStates();
}

// --- Shutdown ---------------------------------------------------------------------------------

void TFormMain::FormDestroy() {
    TSettingsFile ini(fSettingsPath);
    try {
        ini.WriteInteger(kSettingsSection, kKeyLeft, x());
        ini.WriteInteger(kSettingsSection, kKeyTop, y());
        ini.WriteInteger(kSettingsSection, kKeyWidth, width());
        ini.WriteInteger(kSettingsSection, kKeyHeight, height());
        const int state = isMinimized() ? 1 : isMaximized() ? 2 : 0;
        ini.WriteInteger(kSettingsSection, kKeyWindowState, state);
        ini.WriteString(kSettingsSection, kKeyCopyright, CopyrightEdit->text().toStdString());
    } catch (const ESettingsWriteError& error) {
        if (ReportError) ReportError(QString::fromStdString(error.what()));
    }
}

} // namespace vellinor
