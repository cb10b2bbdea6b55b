#include "editors/TimestampPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/frmTimeStampSettings.h"

namespace editors
{
namespace
{
QLabel* hiddenLabel(QWidget* page, const char* name, const char* design)
{
    auto* label = new QLabel(QLatin1String(design), page);
    label->setObjectName(QLatin1String(name));
    label->hide();
    return label;
}

// Values are 16-bit numbers in the hosts.
void readNumber(const QLabel* label, int& field)
{
    bool ok = false;
    const short value = label->text().trimmed().toShort(&ok);
    if (ok)
        field = value;
}
} // namespace

TimestampPage::TimestampPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pctStep4"));
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("fraTimestamps"));
    auto* lblInfo = new QLabel(QStringLiteral("Timestamps can be added to your backup file name in order to keep "
                                              "multiple copies of your backups organized by date.  If you have "
                                              "available disk space to keep multiple copies of your backup files, "
                                              "this is highly recommended."),
                               frame);
    lblInfo->setObjectName(QStringLiteral("lblTimestampsInfo"));
    lblInfo->setWordWrap(true);
    chkTimestamps = new QCheckBox(QStringLiteral("Store Backups With Timestamps"), frame);
    chkTimestamps->setObjectName(QStringLiteral("chkTimestamps"));
    cmdTimestampsSettings = new QPushButton(QStringLiteral("Time Stamp Settings"), frame);
    cmdTimestampsSettings->setObjectName(QStringLiteral("cmdTimestampsSettings"));
    cmdTimestampsSettings->setEnabled(false);

    lblTSAccurancy = hiddenLabel(this, "lblTSAccurancy", "3");
    lblTSFormat = hiddenLabel(this, "lblTSFormat", "mmmm dd, yyyy# (hh.mm)");
    lblTSFormatIndex = hiddenLabel(this, "lblTSFormatIndex", "3");
    lblTSDelete = hiddenLabel(this, "lblTSDelete", "0");
    lblTSDeleteParam0 = hiddenLabel(this, "lblTSDeleteParam0", "7");
    lblTSDeleteParam1 = hiddenLabel(this, "lblTSDeleteParam1", "30");
    lblTSDeleteParam2 = hiddenLabel(this, "lblTSDeleteParam2", "0");

    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(lblInfo);
    inner->addSpacing(8);
    auto* row = new QHBoxLayout;
    row->addWidget(chkTimestamps);
    row->addStretch();
    row->addWidget(cmdTimestampsSettings);
    inner->addLayout(row);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addStretch();

    connect(chkTimestamps, &QCheckBox::clicked, this, &TimestampPage::chkTimestamps_Click);
    connect(cmdTimestampsSettings, &QPushButton::clicked, this, &TimestampPage::cmdTimestampsSettings_Click);
}

void TimestampPage::chkTimestamps_Click()
{
    cmdTimestampsSettings->setEnabled(chkTimestamps->isChecked());
}

void TimestampPage::cmdTimestampsSettings_Click()
{
    frmTimeStampSettings::showFor(window());
}

void TimestampPage::readInto(core::BackupSetInfo& set) const
{
    set.UseTimeStamp = chkTimestamps->isChecked();
    readNumber(lblTSAccurancy, set.Accurancy);
    set.TimeStampFormat = lblTSFormat->text();
    readNumber(lblTSFormatIndex, set.FormatIndex);
    readNumber(lblTSDelete, set.DeleteBackups);
    readNumber(lblTSDeleteParam0, set.KeepVersions);
    readNumber(lblTSDeleteParam1, set.KeepQuantity);
    readNumber(lblTSDeleteParam2, set.KeepPeriodAccurancy);
}

void TimestampPage::showValues(const core::BackupSetInfo& set)
{
    chkTimestamps->setChecked(set.UseTimeStamp);
    chkTimestamps_Click();
    lblTSAccurancy->setText(QString::number(set.Accurancy));
    lblTSFormat->setText(set.TimeStampFormat);
    lblTSFormatIndex->setText(QString::number(set.FormatIndex));
    lblTSDelete->setText(QString::number(set.DeleteBackups));
    lblTSDeleteParam0->setText(QString::number(set.KeepVersions));
    lblTSDeleteParam1->setText(QString::number(set.KeepQuantity));
    lblTSDeleteParam2->setText(QString::number(set.KeepPeriodAccurancy));
}

} // namespace editors
