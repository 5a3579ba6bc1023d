#include "shell/TIOPreviewsForm.h"

#include "shell/TImageViewWidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vellinor {

namespace {

constexpr int kChessboardSquare = 12;
constexpr int kDesignWidth = 560; // at 96 pixels per inch
constexpr int kDesignPixelsPerInch = 96;
constexpr int kProgressBarHeight = 12;

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

int ScreenPixelsPerInch(const QWidget* widget) {
    const QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    return screen ? int(screen->logicalDotsPerInch()) : kDesignPixelsPerInch;
}

} // namespace

TIOPreviewsForm::TIOPreviewsForm(const TIEPreviewsSetup& setup, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("IOPreviewsForm"));
    if (!setup.FontName.empty())
        setFont(QFont(Text(setup.FontName), setup.FontSize > 0 ? setup.FontSize : -1));
    ConfigureView(fSourceView);
    ConfigureView(fResultView);
    fSourceView.CurrentBitmap().CopyFrom(*setup.Source);
    fModel = std::make_unique<TPreviewsModel>(setup, fResultView.CurrentBitmap());

    const TPreviewsDialogHeights heights = ShortPagesHeights(ScreenPixelsPerInch(this));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    auto* viewArea = new QWidget(this);
    BuildViews(viewArea);
    layout->addWidget(viewArea, 1);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    ProgressBar->setFixedHeight(kProgressBarHeight);
    layout->addWidget(ProgressBar);

    auto* bottom = new QHBoxLayout;
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl1"));
    PageControl->setFixedHeight(heights.PageArea);
    for (TPreviewsPage page : fModel->VisiblePages())
        PageControl->addTab(BuildPage(page), Text(fModel->Info(page).Caption));
    PageControl->setCurrentIndex(TabOf(fModel->ActivePage()));
    bottom->addWidget(PageControl, 1);
    bottom->addWidget(BuildButtons());
    layout->addLayout(bottom);

    const int width = ScreenPixelsPerInch(this) * kDesignWidth / kDesignPixelsPerInch;
    setFixedSize(width, heights.Dialog);
    setWindowTitle(Text(fModel->Caption()));

    connect(PageControl, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab >= 0 && tab < int(fPages.size())) fModel->SetActivePage(fPages[size_t(tab)].Page);
    });
    fModel->OnBusy = [this](bool busy) {
        if (busy) {
            fBusy.emplace();
        } else {
            fBusy.reset();
        }
    };
    fModel->OnProgress = [this](int percent) { ProgressBar->setValue(percent); };
    fModel->OnPreviewed = [this] { ShowPreview(); };
    for (const TPageWidgets& widgets : fPages)
        ShowValues(widgets.Page);
    ShowButtons();
}

TIOPreviewsForm::~TIOPreviewsForm() {
    // Tearing down the pages must not reach the model any more.
    disconnect(PageControl, nullptr, this, nullptr);
    // The widgets refer to the views; they go first.
    delete SourceViewWidget;
    delete ResultViewWidget;
}

void TIOPreviewsForm::ConfigureView(DOrevaDeVeri& view) {
    view.BackgroundStyle = iebsChessboard;
    view.SetChessboard(kChessboardSquare, bsSolid);
    view.SetAutoFit(true);
}

void TIOPreviewsForm::BuildViews(QWidget* area) {
    auto* row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);
    auto addView = [&](const char* caption, DOrevaDeVeri& view, const char* name) {
        auto* column = new QVBoxLayout;
        column->setSpacing(2);
        auto* label = new QLabel(QString::fromLatin1(caption), area);
        auto* widget = new TImageViewWidget(view, area);
        widget->setObjectName(QString::fromLatin1(name));
        column->addWidget(label);
        column->addWidget(widget, 1);
        row->addLayout(column, 1);
        return widget;
    };
    SourceViewWidget = addView("Source:", fSourceView, "SourceView");
    ResultViewWidget = addView("Result:", fResultView, "ResultView");
}

QWidget* TIOPreviewsForm::BuildPage(TPreviewsPage page) {
    auto* widget = new QWidget;
    widget->setObjectName(Text("Page" + fModel->Info(page).Caption));
    auto* grid = new QGridLayout(widget);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(3);
    TPageWidgets widgets;
    widgets.Page = page;
    int row = 0;
    for (const TPreviewsField& field : fModel->Info(page).Fields)
        AddField(widgets, field, grid, row++);
    widgets.OriginalSize = new QLabel(Text(fModel->OriginalSizeText()), widget);
    widgets.CompressedSize = new QLabel(Text(fModel->CompressedSizeText(page)), widget);
    grid->addWidget(new QLabel(QStringLiteral("Original size:"), widget), row, 0);
    grid->addWidget(widgets.OriginalSize, row++, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Compressed size:"), widget), row, 0);
    grid->addWidget(widgets.CompressedSize, row++, 1, 1, 2);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(row, 1);
    fPages.push_back(widgets);
    return widget;
}

void TIOPreviewsForm::AddField(TPageWidgets& widgets, const TPreviewsField& field,
                               QGridLayout* grid, int row) {
    QWidget* page = grid->parentWidget();
    auto* label = new QLabel(Text(field.Caption), page);
    grid->addWidget(label, row, 0);
    const TPreviewsPage id = widgets.Page;
    const TPreviewsFieldId fieldId = field.Id;
    if (field.IsList()) {
        auto* list = new QComboBox(page);
        for (const std::string& item : field.Items)
            list->addItem(Text(item));
        label->setBuddy(list);
        grid->addWidget(list, row, 1, 1, 2, Qt::AlignLeft);
        connect(list, &QComboBox::currentIndexChanged, this,
                [this, id, fieldId](int value) { ValueChosen(id, fieldId, value); });
        widgets.Lists[fieldId] = list;
        return;
    }
    auto* edit = new QLineEdit(page);
    edit->setMaximumWidth(60);
    label->setBuddy(edit);
    auto* trackBar = new QSlider(Qt::Horizontal, page);
    trackBar->setRange(field.Min, field.Max);
    grid->addWidget(edit, row, 1);
    grid->addWidget(trackBar, row, 2);
    connect(edit, &QLineEdit::textEdited, this,
            [this, id, fieldId, edit] { NumberTyped(id, fieldId, edit); });
    connect(trackBar, &QSlider::valueChanged, this,
            [this, id, fieldId](int value) { ValueChosen(id, fieldId, value); });
    widgets.Edits[fieldId] = edit;
    widgets.TrackBars[fieldId] = trackBar;
}

QWidget* TIOPreviewsForm::BuildButtons() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    ButtonOK = new QPushButton(QStringLiteral("OK"), column);
    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), column);
    ButtonPreview = new QPushButton(QStringLiteral("&Preview"), column);
    ButtonApply = new QPushButton(QStringLiteral("&Apply"), column);
    CheckLockPreview = new QCheckBox(QString::fromLatin1(kLockPreviewCaption), column);
    CheckLockPreview->setToolTip(QString::fromLatin1(kLockPreviewHint));
    CheckLockPreview->setChecked(fModel->LockPreview());
    ButtonApply->setVisible(fModel->ApplyVisible());
    ButtonOK->setDefault(true);
    for (QWidget* w : {static_cast<QWidget*>(ButtonOK), static_cast<QWidget*>(ButtonCancel),
                       static_cast<QWidget*>(ButtonPreview), static_cast<QWidget*>(ButtonApply),
                       static_cast<QWidget*>(CheckLockPreview)})
        layout->addWidget(w);
    layout->addStretch(1);

    connect(ButtonOK, &QPushButton::clicked, this, [this] {
        fModel->Apply();
        accept();
    });
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ButtonPreview, &QPushButton::clicked, this, [this] { fModel->Preview(); });
    connect(ButtonApply, &QPushButton::clicked, this, [this] {
        fModel->Apply();
        ShowButtons();
    });
    connect(CheckLockPreview, &QCheckBox::toggled, this, [this](bool locked) {
        fModel->SetLockPreview(locked);
        ShowButtons();
    });
    return column;
}

// --- Model to widgets -----------------------------------------------------------------

const TIOPreviewsForm::TPageWidgets* TIOPreviewsForm::WidgetsOf(TPreviewsPage page) const {
    for (const TPageWidgets& widgets : fPages)
        if (widgets.Page == page) return &widgets;
    return nullptr;
}

QComboBox* TIOPreviewsForm::ListBox(TPreviewsPage page, TPreviewsFieldId field) const {
    const TPageWidgets* widgets = WidgetsOf(page);
    return widgets ? widgets->Lists[field] : nullptr;
}

QLineEdit* TIOPreviewsForm::Edit(TPreviewsPage page, TPreviewsFieldId field) const {
    const TPageWidgets* widgets = WidgetsOf(page);
    return widgets ? widgets->Edits[field] : nullptr;
}

QSlider* TIOPreviewsForm::TrackBar(TPreviewsPage page, TPreviewsFieldId field) const {
    const TPageWidgets* widgets = WidgetsOf(page);
    return widgets ? widgets->TrackBars[field] : nullptr;
}

QLabel* TIOPreviewsForm::OriginalSizeLabel(TPreviewsPage page) const {
    const TPageWidgets* widgets = WidgetsOf(page);
    return widgets ? widgets->OriginalSize : nullptr;
}

QLabel* TIOPreviewsForm::CompressedSizeLabel(TPreviewsPage page) const {
    const TPageWidgets* widgets = WidgetsOf(page);
    return widgets ? widgets->CompressedSize : nullptr;
}

int TIOPreviewsForm::TabOf(TPreviewsPage page) const {
    for (size_t i = 0; i < fPages.size(); ++i)
        if (fPages[i].Page == page) return int(i);
    return -1;
}

void TIOPreviewsForm::ShowValues(TPreviewsPage page, const QLineEdit* typing) {
    const TPageWidgets* widgets = WidgetsOf(page);
    if (widgets == nullptr) return;
    for (const TPreviewsField& field : fModel->Info(page).Fields) {
        const int value = fModel->Value(page, field.Id);
        if (QComboBox* list = widgets->Lists[field.Id]) {
            const QSignalBlocker quiet(list);
            list->setCurrentIndex(value);
        }
        if (QSlider* trackBar = widgets->TrackBars[field.Id]) {
            const QSignalBlocker quiet(trackBar);
            trackBar->setValue(value);
        }
        QLineEdit* edit = widgets->Edits[field.Id];
        if (edit != nullptr && edit != typing) edit->setText(QString::number(value));
    }
}

void TIOPreviewsForm::ShowButtons() {
    ButtonPreview->setEnabled(fModel->PreviewEnabled());
    ButtonApply->setEnabled(fModel->ApplyEnabled());
}

void TIOPreviewsForm::ShowPreview() {
    setWindowTitle(Text(fModel->Caption()));
    for (const TPageWidgets& widgets : fPages)
        widgets.CompressedSize->setText(Text(fModel->CompressedSizeText(widgets.Page)));
    if (fResultView.CurrentBitmap().IsVoid()) {
        fResultView.ClearImage();
    } else {
        fResultView.ImageChange();
    }
    ProgressBar->setValue(0);
}

// --- Widgets to model -----------------------------------------------------------------

void TIOPreviewsForm::ValueChosen(TPreviewsPage page, TPreviewsFieldId field, int value) {
    fModel->SetValue(page, field, value);
    ShowValues(page);
    ShowButtons();
}

void TIOPreviewsForm::NumberTyped(TPreviewsPage page, TPreviewsFieldId field, QLineEdit* edit) {
    fModel->SetValueText(page, field, edit->text().toStdString());
    ShowValues(page, edit);
    ShowButtons();
}

// --- Running ----------------------------------------------------------------------------

std::string TIOPreviewsForm::Caption() const {
    return fModel->Caption();
}

bool TIOPreviewsForm::Execute() {
    return exec() == QDialog::Accepted;
}

void TIOPreviewsForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (fShownOnce || event->spontaneous()) return;
    fShownOnce = true;
    if (fModel->LockPreview()) fModel->Preview();
}

void InstallPreviewsForm() {
    SetPreviewsDialogFactory([](const TIEPreviewsSetup& setup) {
        return std::unique_ptr<TIEPreviewsDialog>(
            new TIOPreviewsForm(setup, QApplication::activeWindow()));
    });
}

} // namespace vellinor
