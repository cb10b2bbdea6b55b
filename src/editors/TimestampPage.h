#pragma once

#include <QWidget>

#include "core/BackupSet.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace editors
{

// The page of both editors that decides whether backups are filed under a time stamp. The
// time-stamp options live in seven hidden labels, which the time-stamp dialog reads and writes.
class TimestampPage : public QWidget
{
    Q_OBJECT

public:
    explicit TimestampPage(QWidget* parent = nullptr);

    void chkTimestamps_Click();
    void cmdTimestampsSettings_Click();

    // Puts UseTimeStamp and the seven time-stamp values into `set`; a numeric label that holds no
    // number leaves its field as it was.
    void readInto(core::BackupSetInfo& set) const;
    // Shows the set's time-stamp values.
    void showValues(const core::BackupSetInfo& set);

    QCheckBox* chkTimestamps = nullptr;
    QPushButton* cmdTimestampsSettings = nullptr;
    QLabel* lblTSAccurancy = nullptr;
    QLabel* lblTSFormat = nullptr;
    QLabel* lblTSFormatIndex = nullptr;
    QLabel* lblTSDelete = nullptr;
    QLabel* lblTSDeleteParam0 = nullptr;
    QLabel* lblTSDeleteParam1 = nullptr;
    QLabel* lblTSDeleteParam2 = nullptr;
};

} // namespace editors
