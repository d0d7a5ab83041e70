#include "forms/main/ExtraOptionsPanel.h"

#include "forms/FormsCommon.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>

#include <limits>

namespace kestrel::forms {

namespace {

QCheckBox* NamedCheckBox(const QString& name, int caption) {
    auto* box = new QCheckBox;
    box->setObjectName(name);
    SetProgramText(box, caption);
    return box;
}

QSpinBox* NamedSpinBox(const QString& name, int maximum, QLabel* label) {
    auto* spin = new QSpinBox;
    spin->setObjectName(name);
    spin->setRange(0, maximum);
    label->setBuddy(spin);
    return spin;
}

QLabel* NamedLabel(const QString& name, int caption) {
    auto* label = new QLabel;
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    SetProgramText(label, caption);
    return label;
}

} // namespace

ExtraOptionsPanel::ExtraOptionsPanel(Setup& setup, QWidget* parent) : QWidget(parent), setup_(setup) {
    setObjectName(QStringLiteral("fraExtraOptions"));
    chkRemoveDeleted_ = NamedCheckBox(QStringLiteral("chkRemoveDeleted"), 1821);
    QLabel* lblMaxRemove = NamedLabel(QStringLiteral("lblMaxRemove"), 1822);
    spnMaxRemove_ =
        NamedSpinBox(QStringLiteral("spnMaxRemove"), std::numeric_limits<int>::max(), lblMaxRemove);
    QLabel* lblKeepVersions = NamedLabel(QStringLiteral("lblKeepVersionsDays"), 1823);
    // About a hundred years, as a setup file holds.
    spnKeepVersionsDays_ = NamedSpinBox(QStringLiteral("spnKeepVersionsDays"), 36500, lblKeepVersions);
    chkCopyLinksAsLinks_ = NamedCheckBox(QStringLiteral("chkCopyLinksAsLinks"), 1824);
    chkKeepAttributes_ = NamedCheckBox(QStringLiteral("chkKeepAttributes"), 1825);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(Px(90));
    auto* removal = new QHBoxLayout;
    removal->addWidget(chkRemoveDeleted_);
    removal->addSpacing(Px(240));
    removal->addWidget(lblMaxRemove);
    removal->addWidget(spnMaxRemove_);
    removal->addStretch(1);
    grid->addLayout(removal, 0, 0);
    auto* versions = new QHBoxLayout;
    versions->addWidget(lblKeepVersions);
    versions->addWidget(spnKeepVersionsDays_);
    versions->addSpacing(Px(240));
    versions->addWidget(chkCopyLinksAsLinks_);
    versions->addWidget(chkKeepAttributes_);
    versions->addStretch(1);
    grid->addLayout(versions, 1, 0);

    connect(chkRemoveDeleted_, &QCheckBox::toggled, this, [this](bool checked) {
        setup_.extra.bRemoveDeleted = checked;
        EnableLimit();
    });
    connect(spnMaxRemove_, &QSpinBox::valueChanged, this,
            [this](int value) { setup_.extra.lngMaxRemove = value; });
    connect(spnKeepVersionsDays_, &QSpinBox::valueChanged, this,
            [this](int value) { setup_.extra.intKeepVersionsDays = value; });
    connect(chkCopyLinksAsLinks_, &QCheckBox::toggled, this,
            [this](bool checked) { setup_.extra.bCopyLinksAsLinks = checked; });
    connect(chkKeepAttributes_, &QCheckBox::toggled, this,
            [this](bool checked) { setup_.extra.bKeepAttributes = checked; });
    ShowSetup();
}

void ExtraOptionsPanel::ShowSetup() {
    const ExtraOptions& extra = setup_.extra;
    const QSignalBlocker blocks[] = {QSignalBlocker(chkRemoveDeleted_), QSignalBlocker(spnMaxRemove_),
                                     QSignalBlocker(spnKeepVersionsDays_),
                                     QSignalBlocker(chkCopyLinksAsLinks_),
                                     QSignalBlocker(chkKeepAttributes_)};
    chkRemoveDeleted_->setChecked(extra.bRemoveDeleted);
    spnMaxRemove_->setValue(
        static_cast<int>(std::min<long>(extra.lngMaxRemove, std::numeric_limits<int>::max())));
    spnKeepVersionsDays_->setValue(extra.intKeepVersionsDays);
    chkCopyLinksAsLinks_->setChecked(extra.bCopyLinksAsLinks);
    chkKeepAttributes_->setChecked(extra.bKeepAttributes);
    EnableLimit();
}

void ExtraOptionsPanel::EnableLimit() {
    // The limit means something only while removing; the window enables it again after a run.
    spnMaxRemove_->setEnabled(isEnabled() && chkRemoveDeleted_->isChecked());
}

} // namespace kestrel::forms
