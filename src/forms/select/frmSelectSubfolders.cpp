#include "forms/select/frmSelectSubfolders.h"

#include "forms/FormsCommon.h"
#include "forms/prompts/MessageBoxes.h"
#include "modules/FileProc.h"
#include "modules/Folder.h"
#include "modules/Language.h"
#include "modules/MessageBox.h"
#include "modules/StrProc.h"
#include "platform/ErrorCodes.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace kestrel::forms {

namespace {

// The window's own colour when the caller gives none: a pale yellow (&HC0FFFF&).
constexpr long kDefaultBackColor = 0xC0FFFF;

QColor ColorOf(long bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

bool ContainsIgnoringCase(const std::string& text, const std::string& word) {
    return LowerCaseWithAccents(text).find(LowerCaseWithAccents(word)) != std::string::npos;
}

} // namespace

frmSelectSubfolders::frmSelectSubfolders(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      picSubfolders_(new QLabel(this)), vsbScrollBar_(new QScrollBar(Qt::Vertical, this)),
      lblNumSubfolders_(new QLabel(this)), cmdAccept_(new QPushButton(Pt(1584), this)),
      cmdCancel_(new QPushButton(Qs(AnswerCaption(MessageAnswer::Cancel)), this)) {
    strCaption = GetProgramText(1583);
    setObjectName(QStringLiteral("frmSelectSubfolders"));
    setWindowTitle(Pt(1583));
    setModal(true);

    picSubfolders_->setObjectName(QStringLiteral("picSubfolders"));
    picSubfolders_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picSubfolders_->setWordWrap(true);
    picSubfolders_->setTextFormat(Qt::PlainText);
    picSubfolders_->installEventFilter(this);
    auto* rowsLayout = new QVBoxLayout(picSubfolders_);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsLayout->setSpacing(0);
    auto* first = new QCheckBox(picSubfolders_);
    first->setObjectName(ControlName("chkSubfolder", 0));
    first->hide();
    rowsLayout->addWidget(first);
    rowsLayout->addStretch(1);
    chkSubfolder_.push_back(first);
    connect(first, &QCheckBox::clicked, this, [this] { chkSubfolder_Click(0); });
    first->installEventFilter(this);

    vsbScrollBar_->setObjectName(QStringLiteral("vsbScrollBar"));
    vsbScrollBar_->hide();
    connect(vsbScrollBar_, &QScrollBar::valueChanged, this, &frmSelectSubfolders::vsbScrollBar_Change);

    lblNumSubfolders_->setObjectName(QStringLiteral("lblNumSubfolders"));
    lblNumSubfolders_->setTextFormat(Qt::PlainText);
    lblNumSubfolders_->clear();

    cmdAccept_->setObjectName(QStringLiteral("cmdAccept"));
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    const int allCaptions[2] = {1585, 1586}; // deselect all, select all
    for (int i = 0; i < 2; ++i) {
        cmdSelectDeselectAllSubfolders_[i] = new QPushButton(Pt(allCaptions[i]), this);
        cmdSelectDeselectAllSubfolders_[i]->setObjectName(ControlName("cmdSelectDeselectAllSubfolders", i));
        connect(cmdSelectDeselectAllSubfolders_[i], &QPushButton::clicked, this,
                [this, i] { cmdSelectDeselectAllSubfolders_Click(i); });
    }
    // Enter presses the focused button, Accept when the focus is on a row.
    for (QPushButton* button :
         {cmdAccept_, cmdCancel_, cmdSelectDeselectAllSubfolders_[0], cmdSelectDeselectAllSubfolders_[1]})
        button->setAutoDefault(true);
    cmdAccept_->setDefault(true);
    connect(cmdAccept_, &QPushButton::clicked, this, &frmSelectSubfolders::cmdAccept_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmSelectSubfolders::cmdCancel_Click);

    // The rows with their scroll bar on top, the summary below them, the buttons at the bottom.
    auto* list = new QHBoxLayout;
    list->setSpacing(0);
    list->addWidget(picSubfolders_, 1);
    list->addWidget(vsbScrollBar_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSelectDeselectAllSubfolders_[1]);
    buttons->addWidget(cmdSelectDeselectAllSubfolders_[0]);
    buttons->addStretch(1);
    buttons->addWidget(cmdAccept_);
    buttons->addWidget(cmdCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Px(120), Px(120), Px(120), Px(120));
    layout->setSpacing(Px(120));
    layout->addLayout(list);
    layout->addWidget(lblNumSubfolders_);
    layout->addLayout(buttons);

    SetFormFontName(this, QLatin1String(kFormFont));
    QFont readingFont = picSubfolders_->font();
    readingFont.setPointSize(11);
    readingFont.setBold(false);
    picSubfolders_->setFont(readingFont);
    first->setFont(lblNumSubfolders_->font());
    // The rows show folder names as they are; the buttons carry Alt shortcuts.
    AssignMnemonics(this, [](const QAbstractButton* button) {
        return qobject_cast<const QPushButton*>(button) == nullptr;
    });
}

frmSelectSubfolders::~frmSelectSubfolders() {
    StopReading();
}

void frmSelectSubfolders::StopReading() {
    if (cancel_)
        *cancel_ = true;
    if (reader_.joinable())
        reader_.join();
}

std::string frmSelectSubfolders::rowText(int row) const {
    return row >= 0 && row < rowCount() ? rows_[static_cast<std::size_t>(row)].text : std::string();
}

bool frmSelectSubfolders::rowTicked(int row) const {
    return row >= 0 && row < rowCount() && rows_[static_cast<std::size_t>(row)].tick == 1;
}

void frmSelectSubfolders::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        busy_ = true;
        // Once the window is on screen, so a message about the source comes over it.
        QMetaObject::invokeMethod(this, &frmSelectSubfolders::Form_Activate, Qt::QueuedConnection);
    }
}

void frmSelectSubfolders::ApplyColours() {
    const bool ownColours = lngBackColor == -1;
    const QColor back = ColorOf(ownColours ? kDefaultBackColor : lngBackColor);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, back);
    setPalette(palette);
    setAutoFillBackground(true);
    QPalette labelPalette = lblNumSubfolders_->palette();
    labelPalette.setColor(QPalette::Window, back);
    if (!ownColours)
        labelPalette.setColor(QPalette::WindowText, ColorOf(lngLabelForeColor));
    lblNumSubfolders_->setPalette(labelPalette);
    lblNumSubfolders_->setAutoFillBackground(true);
}

void frmSelectSubfolders::Form_Activate() {
    if (!isVisible())
        return;
    StopReading();
    busy_ = true;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    const unsigned generation = ++generation_;

    ApplyColours();
    UnloadRowCheckBoxes();
    chkSubfolder_[0]->hide();
    rows_.clear();
    selectedNames_.clear();
    topRow_ = 0;
    lblNumSubfolders_->clear();
    vsbScrollBar_->hide();
    picSubfolders_->setMinimumHeight(chkSubfolder_[0]->sizeHint().height() *
                                     std::max(1, intMaxNumCheckboxes));
    picSubfolders_->setMaximumHeight(QWIDGETSIZE_MAX);
    ShowReadingProgress(0);
    setWindowTitle(Qs(strCaption));
    strTopFolder = AddTrailingBackslash(strTopFolder);

    const platform::Result<std::int32_t> subfolders = CountSubfolders(strTopFolder);
    if (!subfolders.ok()) {
        ShowMessageBox(this, subfolders.error().description, GetProgramText(1583), MessageButtons::Ok,
                       MessageIcon::Exclamation);
        busy_ = false;
        done(QDialog::Rejected);
        return;
    }
    // A source without subfolders keeps the window reading: only Cancel closes it.
    if (subfolders.value() == 0)
        return;

    const std::string topFolder = strTopFolder;
    const bool excludeRecycleBin = blnExcludeRecycleBin;
    const bool countSizes = !blnOmitTotalFilesize;
    const std::shared_ptr<std::atomic<bool>> cancel = cancel_;
    reader_ = std::thread([this, topFolder, excludeRecycleBin, countSizes, cancel, generation,
                           hook = SubfolderReadingSeam::current()] {
        std::vector<std::string> names;
        std::string listError;
        ListSubfolderNames(topFolder, excludeRecycleBin, names, listError);
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (hook)
                hook(i);
            if (*cancel)
                return;
            SubfolderCounts counts = ReadSubfolder(topFolder, names[i], countSizes);
            QMetaObject::invokeMethod(
                this, [this, generation, counts = std::move(counts)] { RowRead(generation, counts); },
                Qt::QueuedConnection);
        }
        if (!*cancel)
            QMetaObject::invokeMethod(
                this, [this, generation] { ReadingFinished(generation); }, Qt::QueuedConnection);
    });
}

void frmSelectSubfolders::ShowReadingProgress(int subfoldersRead) {
    QString text = Pt(1587) + QStringLiteral(" . . .");
    for (int i = 0; i < subfoldersRead; ++i)
        text += QStringLiteral(" .");
    picSubfolders_->setText(text);
}

void frmSelectSubfolders::RowRead(unsigned generation, const SubfolderCounts& counts) {
    if (generation != generation_ || !busy_)
        return;
    Row row;
    row.text = RowText(counts);
    row.sortKey = LowerCaseWithAccents(row.text);
    row.name = counts.name;
    row.isEmpty = counts.isEmpty;
    row.cannotTick = counts.permissionDenied ||
                     (counts.errorDescription.empty() && counts.files == 0 && counts.subfolders == 0);
    row.over = counts.over;
    row.size = counts.sizeCounted ? counts.size : 0;
    rows_.push_back(std::move(row));
    ShowReadingProgress(rowCount());
}

void frmSelectSubfolders::ReadingFinished(unsigned generation) {
    if (generation != generation_ || !busy_)
        return;
    if (reader_.joinable())
        reader_.join();
    // Every subfolder was a recycle bin, or the folders went away meanwhile: nothing to tick.
    if (rows_.empty())
        return;

    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const Row& a, const Row& b) { return a.sortKey < b.sortKey; });

    // The previous selection, whatever the case of its names.
    std::vector<std::string> previous;
    for (const std::string& entry : SplitFolderList(strFoldersPassedToSelectFoldersForm))
        previous.push_back(LowerCaseWithAccents(entry));
    for (Row& row : rows_) {
        const std::string name = LowerCaseWithAccents(TrimBlanks(row.name));
        const bool wanted = std::find(previous.begin(), previous.end(), name) != previous.end();
        if (wanted && !row.isEmpty &&
            !ContainsIgnoringCase(row.text, platform::errorDescription(platform::err::PermissionDenied)) &&
            !IsTargetFolder(row.name))
            row.tick = 1;
    }

    ShowRows();
    DisplaySelectionSummary();
    cmdCancel_->setFocus(Qt::OtherFocusReason);
    busy_ = false;
}

void frmSelectSubfolders::ShowRows() {
    picSubfolders_->clear();
    const int n = rowCount();
    const int visible = std::min(n, std::max(1, intMaxNumCheckboxes));
    totalText_ = GroupedNumber(n, 0);

    auto* rowsLayout = static_cast<QVBoxLayout*>(picSubfolders_->layout());
    for (int k = 1; k < visible; ++k) {
        auto* box = new QCheckBox(picSubfolders_);
        box->setObjectName(ControlName("chkSubfolder", k));
        box->setFont(chkSubfolder_[0]->font());
        box->installEventFilter(this);
        rowsLayout->insertWidget(k, box);
        connect(box, &QCheckBox::clicked, this, [this, k] { chkSubfolder_Click(k); });
        chkSubfolder_.push_back(box);
    }
    topRow_ = 0;
    int rowHeight = 0;
    for (int k = 0; k < visible; ++k) {
        QCheckBox* box = chkSubfolder_[static_cast<std::size_t>(k)];
        const Row& row = rows_[static_cast<std::size_t>(k)];
        const std::string shown = ShortenRowText(row.text);
        box->setText(Qs(shown));
        box->setToolTip(shown == row.text ? QString() : Qs(row.text));
        box->setChecked(row.tick == 1);
        box->show();
        rowHeight = std::max(rowHeight, box->sizeHint().height());
    }
    // The picture box holds the visible rows exactly; the scroll bar stands beside it.
    picSubfolders_->setMinimumHeight(0);
    picSubfolders_->setFixedHeight(rowHeight * visible);
    if (n > visible) {
        const QSignalBlocker block(vsbScrollBar_);
        vsbScrollBar_->setRange(0, n - visible);
        vsbScrollBar_->setValue(0);
        vsbScrollBar_->setSingleStep(1);
        vsbScrollBar_->setPageStep(intMaxNumCheckboxes);
        vsbScrollBar_->setFixedHeight(picSubfolders_->height());
        vsbScrollBar_->show();
        vsbScrollBar_->raise();
    }
    // The caller chose the width; the height follows the rows.
    const QSize hint = sizeHint();
    resize(std::max(width(), hint.width()), hint.height());
    // Rows made now come after the buttons in the focus chain: Tab goes down the rows first.
    layout()->activate();
    OrderTabsByPosition(this);
}

void frmSelectSubfolders::vsbScrollBar_Change() {
    if (busy_)
        return;
    topRow_ = vsbScrollBar_->value();
    for (std::size_t k = 0; k < chkSubfolder_.size(); ++k) {
        const std::size_t index = static_cast<std::size_t>(topRow_) + k;
        if (index >= rows_.size())
            break;
        const Row& row = rows_[index];
        const std::string shown = ShortenRowText(row.text);
        chkSubfolder_[k]->setText(Qs(shown));
        chkSubfolder_[k]->setToolTip(shown == row.text ? QString() : Qs(row.text));
        chkSubfolder_[k]->setChecked(row.tick == 1);
    }
}

bool frmSelectSubfolders::IsTargetFolder(const std::string& name) const {
    if (strTargetFolder.empty())
        return false;
    return LowerCaseWithAccents(AddTrailingBackslash(AddTrailingBackslash(strTopFolder) + name)) ==
           LowerCaseWithAccents(AddTrailingBackslash(strTargetFolder));
}

void frmSelectSubfolders::chkSubfolder_Click(int Index) {
    if (busy_ || Index < 0 || static_cast<std::size_t>(Index) >= chkSubfolder_.size())
        return;
    const std::size_t index = static_cast<std::size_t>(topRow_ + Index);
    if (index >= rows_.size())
        return;
    QCheckBox* box = chkSubfolder_[static_cast<std::size_t>(Index)];
    Row& row = rows_[index];
    if (box->isChecked() && row.cannotTick)
        box->setChecked(false);
    // The target folder cannot be included in its own backup.
    if (box->isChecked() && IsTargetFolder(row.name))
        box->setChecked(false);
    row.tick = box->isChecked() ? 1 : 0;
    DisplaySelectionSummary();
}

void frmSelectSubfolders::cmdSelectDeselectAllSubfolders_Click(int Index) {
    if (busy_)
        return;
    for (Row& row : rows_)
        row.tick = row.cannotTick || IsTargetFolder(row.name) ? 0 : (Index == 1 ? 1 : 0);
    vsbScrollBar_Change();
    DisplaySelectionSummary();
    cmdAccept_->setFocus(Qt::OtherFocusReason);
}

int frmSelectSubfolders::CountTickedRows() const {
    return static_cast<int>(
        std::count_if(rows_.begin(), rows_.end(), [](const Row& row) { return row.tick == 1; }));
}

void frmSelectSubfolders::DisplaySelectionSummary() {
    const int k = CountTickedRows();
    const int n = rowCount();
    dblTotalBytesSelected_ = 0;
    blnOver_ = false;
    for (const Row& row : rows_) {
        if (row.tick == 1) {
            dblTotalBytesSelected_ += row.size;
            blnOver_ = blnOver_ || row.over;
        }
    }
    std::string text;
    if (k == 0) {
        lblNumSubfolders_->setText(Pt(1588));
        return;
    }
    if (k == 1)
        text = GetProgramText(1589);
    else if (k == n)
        text = GetProgramText(1590) + " " + std::to_string(n) + " " + GetProgramText(1591);
    else
        text = GroupedNumber(k, 0) + " " + GetProgramText(1297) + " (" + GetProgramText(1454) + " " +
               totalText_ + ").";
    // The window knows it chooses the included subfolders by this word of its caption.
    if (ContainsIgnoringCase(strCaption, GetProgramText(1593)))
        text += "\r\n" + GetProgramText(1594) + " " +
                (blnOver_ ? GetProgramText(1595) + " " : std::string()) +
                FormatSizeKbMb(dblTotalBytesSelected_, 2) + ".";
    lblNumSubfolders_->setText(DisplayText(text));
}

void frmSelectSubfolders::cmdAccept_Click() {
    if (busy_)
        return;
    blnFolderSelectionAccepted = true;
    selectedNames_.clear();
    for (const Row& row : rows_) {
        if (row.tick == 1)
            selectedNames_.push_back(row.name);
    }
    strFoldersReturnedFromSelectFoldersForm = JoinFolderList(selectedNames_);
    done(QDialog::Accepted);
    UnloadRowCheckBoxes();
}

void frmSelectSubfolders::cmdCancel_Click() {
    blnFolderSelectionAccepted = false;
    if (cancel_)
        *cancel_ = true;
    done(QDialog::Rejected);
    UnloadRowCheckBoxes();
}

void frmSelectSubfolders::UnloadRowCheckBoxes() {
    while (chkSubfolder_.size() > 1) {
        delete chkSubfolder_.back();
        chkSubfolder_.pop_back();
    }
}

void frmSelectSubfolders::reject() {
    // Esc is Cancel.
    cmdCancel_Click();
}

void frmSelectSubfolders::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (!isVisible())
        return;
    ShowMessageBox(this, GetProgramText(1596), GetProgramText(1597));
    cmdCancel_Click();
}

bool frmSelectSubfolders::eventFilter(QObject* watched, QEvent* event) {
    // The wheel over the rows scrolls them.
    if (event->type() == QEvent::Wheel && vsbScrollBar_->isVisible() && !busy_) {
        const int steps = static_cast<QWheelEvent*>(event)->angleDelta().y() / 120;
        if (steps != 0)
            vsbScrollBar_->setValue(vsbScrollBar_->value() - steps);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool SelectIncludedSubfolders(QWidget* mainWindow, const IncludedSubfolderChoice& choice,
                              std::vector<std::string>& selected) {
    frmSelectSubfolders window(mainWindow);
    window.blnFolderSelectionAccepted = false;
    window.strCaption = GetProgramText(1592);
    window.strTopFolder = choice.sourceFolder;
    window.strTargetFolder = choice.targetFolder;
    window.intMaxNumCheckboxes = 11;
    window.strFoldersPassedToSelectFoldersForm = JoinFolderList(choice.included);
    if (choice.geometry.isValid())
        window.setGeometry(choice.geometry);
    window.exec();
    if (!window.blnFolderSelectionAccepted)
        return false;
    selected = window.SelectedNames();
    return true;
}

} // namespace kestrel::forms
