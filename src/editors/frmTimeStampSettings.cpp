#include "editors/frmTimeStampSettings.h"

#include <optional>

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/ProgramState.h"
#include "core/TimestampFormat.h"
#include "localisation/Skin.h"
#include "localisation/WindowCaptions.h"
#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Form.h"
#include "platform/Named.h"

namespace editors
{
namespace
{
struct PatternList
{
    std::array<const char*, 4> patterns;
    int count;
};

// By accuracy: month, day, hour, minute. "#" parts the date from the time.
constexpr std::array<PatternList, 4> Patterns {{
    {{"-yyyy_mm-", "yyyy mmmm", "mmmm yyyy", nullptr}, 3},
    {{"-yyyy_mm_dd-", "yyyy mmmm dd", "dd mmmm yyyy", "mmmm dd, yyyy"}, 4},
    {{"-yyyy_mm_dd-#-hh-", nullptr, nullptr, nullptr}, 1},
    {{"-yyyy_mm_dd-#-hh_mm-", "yyyy mmmm dd# (hh.mm)", "dd mmmm yyyy# (hh.mm)", "mmmm dd, yyyy# (hh.mm)"}, 4},
}};

constexpr int DesignVersions = 7;
constexpr int DesignPeriod = 30;

// The moment the samples show: the program's start, or now when it has none.
QDateTime sampleMoment()
{
    const core::ProgramState& program = core::state();
    const QDateTime now = platform::clock().now();
    const QDate date = platform::DateText::parseDate(program.StartupDateText).value_or(now.date());
    const QTime time = platform::DateText::parseTime(program.StartupTimeText).value_or(now.time());
    return QDateTime(date, time);
}

std::optional<int> numberIn(const QLabel* label, int first, int last)
{
    if (!label)
        return std::nullopt;
    bool ok = false;
    const int value = label->text().trimmed().toInt(&ok);
    if (!ok || value < first || value > last)
        return std::nullopt;
    return value;
}
} // namespace

frmTimeStampSettings::frmTimeStampSettings()
{
    setObjectName(QStringLiteral("frmTimeStampSettings"));
    setWindowTitle(QStringLiteral("Timestamp Format Settings"));

    cmbAccurancy = platform::named<QComboBox>("cmbAccurancy", this);
    cmbAccurancy->addItems(
        {QStringLiteral("month"), QStringLiteral("day"), QStringLiteral("hour"), QStringLiteral("minute")});
    cmbTimestampFormat = platform::named<QComboBox>("cmbTimestampFormat", this);
    cmbTimestampFormat->setMinimumContentsLength(24);
    auto* lblAccurancy = platform::named<QLabel>("lblAccurancy", QStringLiteral("Timestamp &accurancy up to:"), this);
    lblAccurancy->setBuddy(cmbAccurancy);
    auto* lblFormat = platform::named<QLabel>("lblFormat", QStringLiteral("Timestamp &format:"), this);
    lblFormat->setBuddy(cmbTimestampFormat);

    const char* ruleTexts[]
        = {"Keep all &versions (do not delete old backups)", "Keep only &last", "Keep &old versions for a period of"};
    for (int i = 0; i < 3; ++i) {
        optRemoveVersions[i]
            = platform::named<QRadioButton>("optRemoveVersions", QString::fromLatin1(ruleTexts[i]), this);
        localisation::setControlIndex(optRemoveVersions[i], i);
        connect(optRemoveVersions[i], &QRadioButton::clicked, this, [this, i] { optRemoveVersions_Click(i); });
    }
    txtVersions = platform::named<QSpinBox>("txtVersions", this);
    txtVersions->setRange(1, 65535);
    txtPeriod = platform::named<QSpinBox>("txtPeriod", this);
    txtPeriod->setRange(1, 365);
    cmbPeriod = platform::named<QComboBox>("cmbPeriod", this);
    cmbPeriod->addItems({QStringLiteral("days"), QStringLiteral("hours")});
    // Nobody chooses the period rule; its values still travel through the dialog.
    optRemoveVersions[2]->hide();
    txtPeriod->hide();
    cmbPeriod->hide();

    cmdOK = platform::named<QPushButton>("cmdOK", QStringLiteral("Ok"), this);
    cmdOK->setDefault(true);
    cmdCancel = platform::named<QPushButton>("cmdCancel", QStringLiteral("Cancel"), this);

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow(lblAccurancy, cmbAccurancy);
    form->addRow(lblFormat, cmbTimestampFormat);
    layout->addLayout(form);
    auto* rules = new QGridLayout;
    rules->addWidget(optRemoveVersions[0], 0, 0, 1, 3);
    rules->addWidget(optRemoveVersions[1], 1, 0);
    rules->addWidget(txtVersions, 1, 1);
    rules->addWidget(optRemoveVersions[2], 2, 0);
    rules->addWidget(txtPeriod, 2, 1);
    rules->addWidget(cmbPeriod, 2, 2);
    rules->setColumnStretch(3, 1);
    layout->addLayout(rules);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);

    connect(cmbAccurancy, &QComboBox::activated, this, &frmTimeStampSettings::cmbAccurancy_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmTimeStampSettings::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmTimeStampSettings::cmdCancel_Click);
    // The close box and Escape leave the labels as Cancel does.
    connect(this, &QDialog::rejected, this, &frmTimeStampSettings::cmdCancel_Click);
}

void frmTimeStampSettings::Form_Load()
{
    localisation::translateAndSkin(this);
    showDesignValues();
}

void frmTimeStampSettings::showDesignValues()
{
    cmbAccurancy->setCurrentIndex(3);
    cmbAccurancy_Click();
    cmbPeriod->setCurrentIndex(0);
    optRemoveVersions[0]->setChecked(true);
    optRemoveVersions_Click(0);
    txtVersions->setValue(DesignVersions);
    txtPeriod->setValue(DesignPeriod);
}

QLabel* frmTimeStampSettings::parentLabel(const char* name) const
{
    return frmParent ? frmParent->findChild<QLabel*>(QLatin1String(name)) : nullptr;
}

void frmTimeStampSettings::setFrmParent(QWidget* editor)
{
    frmParent = editor;
    showDesignValues();
    if (const auto accuracy = numberIn(parentLabel("lblTSAccurancy"), 0, 3); accuracy && *accuracy != 3) {
        cmbAccurancy->setCurrentIndex(*accuracy);
        cmbAccurancy_Click();
    }
    if (const auto format = numberIn(parentLabel("lblTSFormatIndex"), 0, cmbTimestampFormat->count() - 1))
        cmbTimestampFormat->setCurrentIndex(*format);
    if (const auto rule = numberIn(parentLabel("lblTSDelete"), 0, 2)) {
        optRemoveVersions[*rule]->setChecked(true);
        optRemoveVersions_Click(*rule);
    }
    if (const auto versions = numberIn(parentLabel("lblTSDeleteParam0"), 1, 65535))
        txtVersions->setValue(*versions);
    if (const auto period = numberIn(parentLabel("lblTSDeleteParam1"), 1, 365))
        txtPeriod->setValue(*period);
    if (const auto unit = numberIn(parentLabel("lblTSDeleteParam2"), 0, 1))
        cmbPeriod->setCurrentIndex(*unit);
}

void frmTimeStampSettings::showFor(QWidget* editor)
{
    frmTimeStampSettings* dialog = platform::Form<frmTimeStampSettings>::load();
    if (!dialog)
        return;
    dialog->setFrmParent(editor);
    dialog->exec();
}

void frmTimeStampSettings::cmbAccurancy_Click()
{
    const int accuracy = cmbAccurancy->currentIndex();
    if (accuracy < 0 || accuracy > 3)
        return;
    const PatternList& list = Patterns[static_cast<size_t>(accuracy)];
    const QDateTime moment = sampleMoment();
    cmbTimestampFormat->clear();
    for (int i = 0; i < list.count; ++i) {
        m_patterns[static_cast<size_t>(i)] = QLatin1String(list.patterns[static_cast<size_t>(i)]);
        cmbTimestampFormat->addItem(core::timestampText(accuracy, m_patterns[static_cast<size_t>(i)], moment));
    }
    cmbTimestampFormat->setCurrentIndex(list.count - 1);
}

void frmTimeStampSettings::optRemoveVersions_Click(int Index)
{
    txtVersions->setEnabled(Index == 1);
    const bool period = Index == 2;
    txtPeriod->setEnabled(period);
    cmbPeriod->setEnabled(period);
}

void frmTimeStampSettings::cmdOK_Click()
{
    const auto write = [this](const char* name, const QString& text) {
        if (QLabel* label = parentLabel(name))
            label->setText(text);
    };
    const int format = cmbTimestampFormat->currentIndex();
    write("lblTSAccurancy", QString::number(cmbAccurancy->currentIndex()));
    if (format >= 0 && format < int(m_patterns.size()))
        write("lblTSFormat", m_patterns[static_cast<size_t>(format)]);
    write("lblTSFormatIndex", QString::number(format));
    for (int i = 0; i < 3; ++i) {
        if (optRemoveVersions[i]->isChecked()) {
            write("lblTSDelete", QString::number(i));
            break;
        }
    }
    write("lblTSDeleteParam0", QString::number(txtVersions->value()));
    write("lblTSDeleteParam1", QString::number(txtPeriod->value()));
    write("lblTSDeleteParam2", QString::number(cmbPeriod->currentIndex()));
    platform::Form<frmTimeStampSettings>::unload();
}

void frmTimeStampSettings::cmdCancel_Click()
{
    platform::Form<frmTimeStampSettings>::unload();
}

} // namespace editors
